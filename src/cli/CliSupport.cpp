#include "cli/CliSupport.h"

#include <unistd.h>

#include <iostream>
#include <vector>

#include "core/StringLib.h"
#include "core/UserPrompt.h"

int FindOutputProfile(const TLutRegistry& registry, std::string_view text) {
  const auto& profiles = registry.LutOutputProfiles;
  const int count = static_cast<int>(profiles.size());
  std::int64_t number = 0;
  if (TryParseInt64(text, number)) {
    if (number >= 0 && number < count) return static_cast<int>(number);
    throw UsageError("no output profile number " + std::string(text) + " (0 to " +
                     std::to_string(count - 1) + "; see `tovilut formats`)");
  }
  const std::string wanted = UpperCase(text);
  std::vector<int> candidates;
  for (int i = 0; i < count; ++i) {
    const std::string name = UpperCase(profiles[i].Name);
    if (name == wanted) return i;
    if (!wanted.empty() && name.find(wanted) != std::string::npos) candidates.push_back(i);
  }
  if (candidates.size() == 1) return candidates.front();
  std::string message = candidates.empty()
                            ? "no output profile matches '" + std::string(text) + "'"
                            : "'" + std::string(text) + "' matches several output profiles:";
  for (int i : candidates) message += "\n  " + std::to_string(i) + "  " + profiles[i].Name;
  if (candidates.empty()) message += " (see `tovilut formats`)";
  throw UsageError(message);
}

std::string SizeText(std::string_view text) {
  if (UpperCase(text) == "DEFAULT") return "Default";
  std::int64_t size = 0;
  if (!TryParseInt64(text, size) || text.front() == '+' || text.front() == '-')
    throw UsageError("size must be 'default' or a number, not '" + std::string(text) + "'");
  return std::string(text);
}

int ParseBits(std::string_view text) {
  if (UpperCase(text) == "DEFAULT") return -1;
  for (int bits : {8, 10, 12, 14, 16})
    if (text == std::to_string(bits)) return bits;
  throw UsageError("bits must be default, 8, 10, 12, 14 or 16, not '" + std::string(text) + "'");
}

void ReportFailure(const std::filesystem::path& file, std::string_view message) {
  std::string text(message);
  for (std::size_t i; (i = text.find("\r\n")) != std::string::npos;) text.replace(i, 2, "\n");
  std::cerr << file.string() << ": " << text << std::endl;
}

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

TAnswer AskOverwrite(const std::filesystem::path& output) {
  for (;;) {
    std::cerr << OverwriteQuestion(output.string()) << " [y/n/c] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return TAnswer::Cancel;
    const std::string a = UpperCase(Trim(answer));
    if (a == "Y" || a == "YES") return TAnswer::Yes;
    if (a == "N" || a == "NO") return TAnswer::No;
    if (a == "C" || a == "CANCEL") return TAnswer::Cancel;
  }
}

bool MayWriteOutput(const std::filesystem::path& output, bool overwrite) {
  if (overwrite || !std::filesystem::exists(output)) return true;
  if (!StdinIsTerminal())
    throw std::runtime_error(output.string() + " already exists; use --overwrite to replace it");
  return AskOverwrite(output) == TAnswer::Yes;
}

void TProgressBar::Show(double percent, std::string_view label) {
  if (!Enabled) return;
  constexpr int width = 30;
  const int filled = static_cast<int>(percent * width / 100.0);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(width, ' ');
  std::cerr << "\r[" << bar << "] " << static_cast<int>(percent) << "% " << label << "\x1b[K"
            << std::flush;
  Drawn = true;
}

void TProgressBar::Finish() {
  if (Drawn) std::cerr << "\r\x1b[K" << std::flush;
  Drawn = false;
}
