// What the commands of `tovilut` share: option parsing into library values,
// reporting failures as "FILE: message", the terminal prompt and progress bar.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/LUTFormat.h"

// A mistake in the command line itself: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output profile by its number as `formats` lists it, its exact name (any
// letter case) or a piece of its name that matches exactly one profile.
int FindOutputProfile(const TLutRegistry& registry, std::string_view text);

// SIZE: "default" or a number -> the size text the options model takes.
std::string SizeText(std::string_view text);
// BITS: "default", 8, 10, 12, 14 or 16 -> -1 or the bits.
int ParseBits(std::string_view text);

// "FILE: message" on stderr; a CR LF inside a message becomes a line break.
void ReportFailure(const std::filesystem::path& file, std::string_view message);

bool StdinIsTerminal();
bool StderrIsTerminal();

enum class TAnswer { Yes, No, Cancel };
// The overwrite question, asked on the terminal.
TAnswer AskOverwrite(const std::filesystem::path& output);

// For commands with one output file: true when it may be written. An existing
// file is replaced with --overwrite, asked about on a terminal, and refused
// elsewhere with a message that names the flag (thrown as a failure).
bool MayWriteOutput(const std::filesystem::path& output, bool overwrite);

// A one-line progress bar on stderr, drawn only when it is a terminal.
class TProgressBar {
 public:
  explicit TProgressBar(bool enabled) : Enabled(enabled) {}
  ~TProgressBar() { Finish(); }
  void Show(double percent, std::string_view label);
  void Finish();

 private:
  bool Enabled;
  bool Drawn = false;
};
