// The subcommands of `tovilut`. Each registers its options on the app and
// returns the function that runs it once the command line has been parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

struct TCommand {
  CLI::App* App;
  std::function<int()> Run;  // the exit status
};

TCommand AddFormatsCommand(CLI::App& app);
TCommand AddInfoCommand(CLI::App& app);
TCommand AddConvertCommand(CLI::App& app);
TCommand AddMergeCommand(CLI::App& app);
TCommand AddIcc2LutCommand(CLI::App& app);
TCommand AddLut2IccCommand(CLI::App& app);
TCommand AddHaldCommand(CLI::App& app);
TCommand AddApplyCommand(CLI::App& app);
TCommand AddEvalCommand(CLI::App& app);
