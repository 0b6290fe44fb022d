// Byte strings (paths, object names, box texts) cross the Linux/Wine boundary as hex, so
// no code page conversion on a command line or in a file can alter a single byte.
#pragma once

#include <string>

namespace e2e {

inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline std::string EncodeHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// An argument "hex:8341..." stands for those bytes; any other argument for itself.
inline bool DecodeArgument(const std::string& arg, std::string* out) {
  if (arg.compare(0, 4, "hex:") != 0) {
    *out = arg;
    return true;
  }
  std::string hex = arg.substr(4);
  if (hex.size() % 2 != 0) return false;
  out->clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = HexValue(hex[i]);
    int lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

}  // namespace e2e
