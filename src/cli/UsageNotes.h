// What `tovilut --help` and the manual page say beyond the options: one real
// command line for each common job, and every exit status.
#pragma once

#include <string>
#include <vector>

struct TUsageExample {
  std::string What;
  std::vector<std::string> Lines;  // command lines, run in this order
};

const std::vector<TUsageExample>& UsageExamples();

struct TExitStatus {
  int Status;
  std::string Meaning;
};

const std::vector<TExitStatus>& ExitStatuses();

// The footer of `tovilut --help`: the exit statuses and the examples.
std::string HelpFooter();
