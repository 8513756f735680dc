// Running tovilut as a user does, from the tests of the command line.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "TestSupport.h"

struct TRun {
  int status;
  std::string out;
  std::string err;
};

class Tovilut : public TempDirTest {
 protected:
  // Runs tovilut with stdin from /dev/null, as in a pipeline; `prefix` is a
  // command that runs it (such as a time limit).
  TRun Run(const std::string& args, const std::string& prefix = "") {
    return RunShell(prefix + std::string(TOVILUT_EXE) + " " + args);
  }
  TRun RunShell(const std::string& commandLine) {
    const std::string errFile = Path("stderr.txt").string();
    const std::string command = commandLine + " </dev/null 2>'" + errFile + "'";
    TRun run{};
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
      run.out.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadText(errFile);
    fs::remove(errFile);
    return run;
  }
  static std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
  static bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
  }
};
