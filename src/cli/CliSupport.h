// What the commands of `tovilut` share: option parsing into library values,
// reporting failures as "FILE: message", the terminal prompt and progress bar.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "ops/OutputOptions.h"
#include "ops/WriteLoss.h"
#include "registry/FormatTable.h"

// A mistake in the command line itself: exit status 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output profile by its number as `formats` lists it, its short id, its
// exact name (any letter case) or a piece of its name that matches exactly
// one profile.
int FindOutputProfile(const TLutRegistry& registry, std::string_view text);

// BITS: "default", 8, 10, 12, 14 or 16 -> -1 or the bits.
int ParseBits(std::string_view text);

// The profile, SIZE and BITS of a command line put into the options model of
// the dialog with the same rules: a size or depth the profile fixes cannot be
// changed (giving its own value is fine), a size has at most five digits and
// must be at least 2; a size above the largest is capped with a note.
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

// The closest of the words to a mistyped one, or empty when none is close.
std::string NearestWord(std::string_view word, const std::vector<std::string>& words);

// The -o of a command that writes one file: a folder is a usage error; with
// a profile, a name without an extension gets the profile's, and one with
// another extension is written as named, with a warning.
std::filesystem::path OutputFileOption(const std::string& text, const TLutOutputProfile* profile);
// "tovilut: warning: 'x.cube' does not end in .icc or .icm, WHOSE" unless
// the file's name ends in one of the extensions (any letter case).
void WarnUnlessExtension(const std::filesystem::path& file, const std::vector<std::string>& wanted,
                         const std::string& whose);

// -q, --quiet of a command that writes: "Do not print SILENCED; failures
// and warnings still go to stderr".
void AddQuietFlag(CLI::App& command, bool& quiet, const std::string& silenced);

// The -o of convert: a folder, created when missing; a file is a usage error.
void PrepareOutputFolder(const std::filesystem::path& folder);

// Text from a file made safe to print on a terminal: control characters
// (ESC, CR, C1 controls...) shown escaped as "\x1b" or "\u009b"; tabs kept.
std::string TerminalText(std::string_view text);

// An output kept because it exists: listed on stdout.
void ReportSkipped(const std::filesystem::path& output);
// The end of a command whose one output was not written: a skip asked for
// by --skip-existing (listed unless quiet; status 0) or a declined
// overwrite (status 1). The same words in every command.
int ReportNotWritten(const std::filesystem::path& output, bool skipExisting, bool quiet);

// What the write step said an output lost, a line each on stderr:
// "FILE: warning: The table was resampled from 33 to 17 points: up to 0.11 off."
void ReportLosses(const std::filesystem::path& file, const std::vector<TWriteLoss>& losses);

// --input-bits BITS of every command that reads LUTs.
void AddInputBitsOption(CLI::App& command, std::string& bits);

// --interp trilinear|tetrahedral of every command that looks LUTs up.
void AddInterpolationOption(CLI::App& command, std::string& interpolation);

// The read options of a command line: --input-bits, --interp (a word the
// option has already checked), and what a reader says of a file as
// "FILE: warning: ..." on stderr, unless quiet.
TReadOptions CliReadOptions(std::string_view inputBits,
                            std::string_view interpolation = "trilinear", bool quiet = false);

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

// Progress on stderr when it is a terminal; Ctrl-C (SIGINT) or SIGTERM asks
// to stop between files, and a second one ends the program at once.
class TCliProgress : public IProgress {
 public:
  explicit TCliProgress(bool enabled);
  ~TCliProgress() override;
  void SetProgress(double percent) override { Bar.Show(percent, ""); }
  bool Cancelled() override;
  // The signal that asked to stop, 0 for none: the exit status is 128 + it.
  int Signal() const;
  void End() override { Bar.Finish(); }
  void Pause() { Bar.Finish(); }  // before other output

 private:
  TProgressBar Bar;
};

