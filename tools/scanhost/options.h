// What scanhost is asked to do: the command line read into a Job (the
// command, its operands, the options given), the usage text, and the
// settings options turned into calls.
#ifndef SCANHOST_OPTIONS_H
#define SCANHOST_OPTIONS_H

#include <stdint.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "operations.h"

namespace scanhost {

// Exit statuses: everything went through, an error, a command line scanhost
// cannot read.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

extern const char kUsage[];

// Why a run ends before its work is done: the message for standard error and
// the exit status. A status without a message ends quietly.
struct Stop {
  int status = kExitOk;
  std::string message;
  explicit operator bool() const { return status != kExitOk; }
};

// The command line, then what checking it gave before anything is loaded:
// calls, or lines to read from a file or standard input.
struct Job {
  std::string command;  // the first word that is no option, or help
  std::vector<std::string> operands;
  std::map<std::string, std::string> given;  // option name -> value
  std::vector<Call> calls;
  std::string inputName = "standard input";
  std::ifstream file;
  std::istream* input = &std::cin;

  bool has(const char* name) const { return given.count(name) != 0; }
  std::string value(const char* name) const { return has(name) ? given.at(name) : ""; }
  bool anyAffix() const { return has("prefix") || has("suffix1") || has("suffix2"); }
  // Whether any option that makes a setting was given.
  bool anySetting() const;
};

// Reads `argv` into `job`. Words starting with "--" are options, up to a word
// "--"; so is -h (--help). Any other word starting with a single '-' (a
// negative number, "-" for standard input) is none. The settings' values
// are checked too: a stop with kExitUsage for any word not understood.
Stop parseOptions(int argc, char** argv, Job* job);

// The settings given on the command line as calls, checked like any call;
// the affix characters not given stay `current`. A setting that does not read
// sets `stop` (kExitUsage, naming the option and what it takes).
std::vector<Call> settingCalls(const Job& job, const int64_t* current, Stop* stop);

}  // namespace scanhost

#endif  // SCANHOST_OPTIONS_H
