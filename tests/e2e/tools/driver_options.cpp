#include "driver_options.h"

#include <cstdio>
#include <cstdlib>

#include "hex.h"

namespace e2e {

namespace {

const char kUsage[] =
    "usage: e2e_driver folders OUT\n"
    "       e2e_driver run --updater EXE --cwd DIR --transcript OUT\n"
    "                  [--answers YES,NO,OK] [--arg TEXT]... [--shots DIR] [--second]\n"
    "                  [--timeout SECONDS] [--holder EXE --hold ROLE=VALUE...]\n"
    "Values may be given as hex:BYTES.\n";

bool ParseAnswers(const std::string& list, std::vector<Answer>* answers) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string word = list.substr(start, comma - start);
    if (word == "OK") answers->push_back(Answer::Ok);
    else if (word == "YES") answers->push_back(Answer::Yes);
    else if (word == "NO") answers->push_back(Answer::No);
    else if (!word.empty()) return false;
    start = comma + 1;
  }
  return true;
}

// ROLE=VALUE becomes the holder's "--ROLE VALUE"; the value stays encoded as given.
bool AddHold(const std::string& hold, std::vector<std::string>* holdArgs) {
  size_t eq = hold.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  holdArgs->push_back("--" + hold.substr(0, eq));
  holdArgs->push_back(hold.substr(eq + 1));
  return true;
}

bool Fail(const char* why, const char* what) {
  std::fprintf(stderr, "e2e_driver: %s %s\n%s", why, what ? what : "", kUsage);
  return false;
}

}  // namespace

const char* AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Ok: return "OK";
    case Answer::Yes: return "YES";
    case Answer::No: return "NO";
  }
  return "?";
}

bool ParseDriverOptions(int argc, char** argv, DriverOptions* o) {
  if (argc < 2) return Fail("missing command", nullptr);
  std::string command = argv[1];
  if (command == "folders") {
    if (argc != 3) return Fail("folders takes one file", nullptr);
    o->foldersOnly = true;
    return DecodeArgument(argv[2], &o->out) || Fail("bad value", argv[2]);
  }
  if (command != "run") return Fail("unknown command", argv[1]);

  for (int i = 2; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--second") {
      o->second = true;
      continue;
    }
    if (i + 1 >= argc) return Fail("missing value after", argv[i]);
    std::string value;
    if (!DecodeArgument(argv[++i], &value)) return Fail("bad value", argv[i]);
    if (flag == "--updater") o->updater = value;
    else if (flag == "--cwd") o->cwd = value;
    else if (flag == "--transcript") o->out = value;
    else if (flag == "--arg") o->updaterArgs.push_back(value);
    else if (flag == "--shots") o->shotDir = value;
    else if (flag == "--holder") o->holder = value;
    else if (flag == "--timeout") o->timeoutMs = std::atoi(value.c_str()) * 1000;
    else if (flag == "--answers") {
      if (!ParseAnswers(value, &o->answers)) return Fail("bad answers", argv[i]);
    } else if (flag == "--hold") {
      // Kept encoded: the holder decodes it itself.
      if (!AddHold(argv[i], &o->holdArgs)) return Fail("bad hold", argv[i]);
    } else {
      return Fail("unknown option", flag.c_str());
    }
  }
  if (o->updater.empty() || o->cwd.empty() || o->out.empty())
    return Fail("--updater, --cwd and --transcript are required", nullptr);
  if (!o->holdArgs.empty() && o->holder.empty()) return Fail("--hold needs --holder", nullptr);
  if (o->timeoutMs <= 0) return Fail("bad timeout", nullptr);
  return true;
}

}  // namespace e2e
