// What the commands of `tovilut` share: option parsing into library values,
// reporting failures as "FILE: message", the terminal prompt and progress bar.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "ops/OutputOptions.h"
#include "registry/FormatTable.h"

// A mistake in the command line itself: exit status 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output profile by its number as `formats` lists it, its exact name (any
// letter case) or a piece of its name that matches exactly one profile.
int FindOutputProfile(const TLutRegistry& registry, std::string_view text);

// BITS: "default", 8, 10, 12, 14 or 16 -> -1 or the bits.
int ParseBits(std::string_view text);

// The profile, SIZE and BITS of a command line put into the options model of
// the dialog with the same rules: a size or depth the profile fixes cannot be
// given, a size has at most five digits and must be at least 2.
TOutputOptions ChooseOutputOptions(const TLutRegistry& registry, TOptionsDialog dialog,
                                   std::string_view profile, std::string_view size,
                                   std::string_view bits);

// "FILE: message" on stderr; a CR LF inside a message becomes a line break.
void ReportFailure(const std::filesystem::path& file, std::string_view message,
                   std::size_t line = 0);
// The same for an error: "FILE:LINE: message" when it carries a line, and
// against its own file when it names one (EInFileError).
void ReportFailure(const std::filesystem::path& file, const std::exception& error);

// --overwrite and --skip-existing, which exclude each other: the flags of
// every command that writes.
void AddOverwriteFlags(CLI::App& command, bool& overwrite, bool& skipExisting);

bool StdinIsTerminal();
bool StderrIsTerminal();

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

// Answers overwrite questions from --overwrite / --skip-existing, else by a
// prompt on a terminal; without one, an existing file is refused. Every
// command that writes asks through one of these.
class TCliConfirm : public IConfirm {
 public:
  TCliConfirm(bool overwrite, bool skipExisting) : Overwrite(overwrite), SkipExisting(skipExisting) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override;
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override;

 private:
  bool Overwrite;
  bool SkipExisting;
};

// Progress on stderr when it is a terminal; Ctrl-C asks to stop between files.
class TCliProgress : public IProgress {
 public:
  explicit TCliProgress(bool enabled);
  ~TCliProgress() override;
  void SetProgress(double percent) override { Bar.Show(percent, ""); }
  bool Cancelled() override;
  void End() override { Bar.Finish(); }
  void Pause() { Bar.Finish(); }  // before other output

 private:
  TProgressBar Bar;
};

