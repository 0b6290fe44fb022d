#include "transcript.h"

#include "hex.h"

namespace e2e {

Transcript::~Transcript() {
  if (file_) std::fclose(file_);
}

bool Transcript::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

void Transcript::Box(const char* kind, int number, const BoxContent& content) {
  Line(kind, std::to_string(number));
  Line("caption", EncodeHex(content.caption));
  Line("text", EncodeHex(content.text));
  Line("buttons", content.buttons.empty() ? "-" : content.buttons);
  Line("icon", content.icon ? "1" : "0");
}

void Transcript::Line(const char* key, const std::string& value) {
  if (!file_) return;
  std::fprintf(file_, "%s %s\n", key, value.c_str());
  std::fflush(file_);
}

void Transcript::Error(const std::string& what) {
  Line("error", what);
  std::fprintf(stderr, "e2e_driver: %s\n", what.c_str());
}

}  // namespace e2e
