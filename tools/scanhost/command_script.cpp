// script (and call without operations): calls read one call a line from a
// file or standard input, with a prompt when input is a terminal.
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "commands.h"
#include "job_runner.h"

namespace scanhost {

namespace {

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> words;
  for (size_t start = line.find_first_not_of(" \t\r"); start != std::string::npos;) {
    const size_t end = line.find_first_of(" \t\r", start);
    words.push_back(line.substr(start, end - start));
    start = line.find_first_not_of(" \t\r", end);
  }
  return words;
}

// One line of a script; false when it ends the script. A mistake typed at
// the prompt is shown, but is no error of the session.
bool runScriptLine(Host& host, const std::string& line, const std::string& where,
                   bool interactive) {
  const std::vector<std::string> words = splitBlanks(line);
  std::vector<Call> calls;
  std::string error;
  if (words.empty() || words[0][0] == '#') return true;
  if (words[0] == "quit" || words[0] == "exit") return false;
  if (words[0] == "ops") {
    printOperations();
  } else if (words[0] == "help") {
    fputs("OPERATION [ARGUMENT...] calls an operation; 'ops' lists them; 'quit' ends.\n", stdout);
  } else if (parseCalls(words, &calls, &error)) {
    runCalls(host, calls);
  } else if (interactive) {
    fprintf(stderr, "scanhost: %s\n", error.c_str());
  } else {
    host.output.reportError("%s: %s", where.c_str(), error.c_str());
  }
  return true;
}

void runScript(Host& host, Job& job) {
  const bool interactive = job.input == &std::cin && isatty(STDIN_FILENO) != 0;
  std::string line;
  for (int number = 1;; ++number) {
    if (interactive) {
      fputs("scanhost> ", stdout);
      fflush(stdout);
    }
    if (!std::getline(*job.input, line)) break;
    const std::string where = job.inputName + ":" + std::to_string(number);
    if (!runScriptLine(host, line, where, interactive)) return;
  }
  if (interactive) fputc('\n', stdout);  // end the prompt line left by end of input
}

}  // namespace

Stop commandScript(Job& job) {
  if (Stop stop = openInput(&job)) return stop;
  return runOnObject(job, runScript, false);
}

}  // namespace scanhost
