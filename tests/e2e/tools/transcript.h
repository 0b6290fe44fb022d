// The driver's record of a run, read back by tests/e2e/transcript.py. One "key value"
// per line; byte strings in hex. Flushed line by line so a killed run still leaves it.
#pragma once

#include <cstdio>
#include <string>

#include "box_window.h"

namespace e2e {

class Transcript {
 public:
  ~Transcript();
  bool Open(const std::string& path);

  // `kind` is "box" for the updater under test, "second_box" for a second updater.
  void Box(const char* kind, int number, const BoxContent& content);
  void Line(const char* key, const std::string& value);
  void Error(const std::string& what);

 private:
  FILE* file_ = nullptr;
};

}  // namespace e2e
