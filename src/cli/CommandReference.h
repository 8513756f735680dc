// The manual page and the shell completions of `tovilut`, generated from the
// command definitions themselves so that they never fall behind the parser.
// The build runs `tovilut --generate man|bash|zsh|fish` and installs the
// results; the option is hidden from --help.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

// One option or positional argument as the documents show it.
struct TCliOptionRef {
  std::vector<std::string> Short;  // without the dash: "p"
  std::vector<std::string> Long;   // without the dashes: "profile"
  std::string ValueName;           // "PROFILE", "FILE"; empty for a flag
  std::string Description;
  std::string Default;               // shown as "(default: ...)"
  std::vector<std::string> Choices;  // the accepted words, when the parser lists them
  // Words the completions offer besides the choices: every profile id and
  // name for PROFILE, the usual values of BITS, SIZE and JOBS.
  std::vector<std::string> Suggestions;
  bool TakesFile = false;  // a value or argument that names a file or folder
  bool Required = false;
  bool Repeats = false;  // a positional that takes several values
  bool Positional() const { return Short.empty() && Long.empty(); }
  // What the completions offer: the choices, else the suggestions.
  const std::vector<std::string>& Offered() const {
    return Choices.empty() ? Suggestions : Choices;
  }
};

struct TCliCommandRef {
  std::string Name;
  std::string Description;
  std::string Footer;
  std::vector<TCliOptionRef> Options;      // in definition order, --help first
  std::vector<TCliOptionRef> Positionals;  // in the order they are given
};

struct TCliReference {
  std::string Program;
  std::string Version;
  TCliCommandRef Root;  // the program's own options and description
  std::vector<TCliCommandRef> Commands;
};

// Walks the parser; options and commands of the group "" (hidden) are left out.
TCliReference DescribeCommands(const CLI::App& app);

std::string ManPage(const TCliReference& reference);
// shell: "bash", "zsh" or "fish".
std::string ShellCompletion(const TCliReference& reference, std::string_view shell);

// The hidden `--generate KIND` option: prints the document and exits with 0.
void AddGenerateOption(CLI::App& app);
