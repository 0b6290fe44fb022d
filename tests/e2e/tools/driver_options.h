// Command line of e2e_driver.exe.
#pragma once

#include <string>
#include <vector>

namespace e2e {

enum class Answer { Ok, Yes, No };

struct DriverOptions {
  // "folders": write the special folders the updater will see, then end. Also serves as
  // the probe whether Wine can run this build of the tools at all.
  bool foldersOnly = false;
  std::string out;  // folders file, or transcript

  std::string updater;
  std::string cwd;
  std::vector<std::string> updaterArgs;
  std::vector<Answer> answers;
  std::string shotDir;    // empty: no screenshots
  bool second = false;    // start a second updater while the first shows its first box
  int timeoutMs = 30000;  // whole run of the updater, boxes included

  std::string holder;                 // path of e2e_holder.exe
  std::vector<std::string> holdArgs;  // passed on to it, e.g. "--mutex" "hex:63..."
};

// Returns false and prints why on a malformed command line.
bool ParseDriverOptions(int argc, char** argv, DriverOptions* options);

const char* AnswerName(Answer answer);

}  // namespace e2e
