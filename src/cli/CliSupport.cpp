#include "cli/CliSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "core/FileIO.h"
#include "core/StringLib.h"
#include "core/UserPrompt.h"
#include "ops/BitsOverride.h"
#include "ops/Conversion.h"
#include "registry/ProfileIds.h"

int FindOutputProfile(const TLutRegistry& registry, std::string_view text) {
  const auto& profiles = registry.LutOutputProfiles();
  const int count = static_cast<int>(profiles.size());
  std::int64_t number = 0;
  if (TryParseInt64(text, number)) {
    if (number >= 0 && number < count) return static_cast<int>(number);
    throw EUsageError("no output profile number " + std::string(text) + " (0 to " +
                     std::to_string(count - 1) + "; see `tovilut formats`)");
  }
  const std::string wanted = UpperCase(text);
  for (int i = 0; i < count; ++i)
    if (!wanted.empty() && UpperCase(ProfileId(profiles[i])) == wanted) return i;
  for (const TProfileAlias& alias : ProfileAliases())
    if (UpperCase(alias.Name) == wanted)
      for (int i = 0; i < count; ++i)
        if (ProfileId(profiles[i]) == alias.Id) return i;
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
  if (candidates.empty()) {
    // A mistyped id or name gets the nearest one, as a mistyped command does.
    std::vector<std::string> words;
    for (const TLutOutputProfile& profile : profiles)
      if (const std::string id = ProfileId(profile); !id.empty()) words.push_back(id);
    for (const TProfileAlias& alias : ProfileAliases()) words.emplace_back(alias.Name);
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string nearest = NearestWord(lower, words);
    message += nearest.empty() ? " (see `tovilut formats`)" : "; did you mean '" + nearest + "'?";
  }
  throw EUsageError(message);
}

int ParseBits(std::string_view text) {
  if (UpperCase(text) == "DEFAULT") return -1;
  for (int bits : {8, 10, 12, 14, 16})
    if (text == std::to_string(bits)) return bits;
  throw EUsageError("bits must be default, 8, 10, 12, 14 or 16, not '" + std::string(text) + "'");
}

void ReportFailure(const std::filesystem::path& file, std::string_view message,
                   std::size_t line) {
  std::string text(message);
  for (std::size_t i; (i = text.find("\r\n")) != std::string::npos;) text.replace(i, 2, "\n");
  // Messages quote the file's own text: its control characters are shown escaped.
  std::string shown;
  for (std::size_t start = 0, end; start <= text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    shown += (start ? "\n" : "") + TerminalText(std::string_view(text).substr(start, end - start));
  }
  std::cerr << TerminalText(file.string());
  if (line > 0) std::cerr << ":" << line;
  std::cerr << ": " << shown << std::endl;
}

void ReportFailure(const std::filesystem::path& file, const std::exception& error) {
  const auto* inFile = dynamic_cast<const EInFileError*>(&error);
  ReportFailure(inFile ? std::filesystem::path(inFile->File) : file, error.what(),
                ErrorLine(error));
}

TOutputOptions ChooseOutputOptions(const TLutRegistry& registry, TOptionsDialog dialog,
                                   std::string_view profileText, std::string_view size,
                                   std::string_view bitsText) {
  TOutputOptions options(registry, dialog);
  const int index = FindOutputProfile(registry, profileText);
  const auto& offered = options.ProfileIndices();
  const auto at = std::find(offered.begin(), offered.end(), index);
  if (at == offered.end())
    throw EUsageError("'" + registry.GetOutputProfile(index).Name + "' cannot be used here: " +
                     "a merge is written through a 3D profile");
  options.SelectProfile(static_cast<int>(at - offered.begin()));
  const TLutOutputProfile& profile = *options.SelectedProfile();
  // A value equal to the one a profile fixes asks for what it gives anyway,
  // and so does "source" (each file's own size where the profile lets it).
  if (UpperCase(size) == "SOURCE" && dialog == TOptionsDialog::Convert) {
    options.ChooseSourceSize();
  } else if (UpperCase(size) != "DEFAULT" && size != std::to_string(profile.DefaultSize)) {
    if (!options.SizeEnabled())
      throw EUsageError("'" + profile.Name + "' always has its size of " +
                       std::to_string(profile.DefaultSize) + "; leave out --size");
    for (char key : size)
      if (!options.TypeSizeKey(key))
        throw EUsageError("size must be 'default' or a number of at most five digits, not '" +
                         std::string(size) + "'");
    std::int64_t typed = 0;
    if (TryParseInt64(size, typed) && typed > options.EffectiveSize())
      std::cerr << "tovilut: size " << typed << " is above the largest of '" << profile.Name
                << "'; " << options.EffectiveSize() << " is used" << std::endl;
  } else if (options.SizeEnabled() && UpperCase(size) != "DEFAULT") {
    for (char key : size) options.TypeSizeKey(key);
  }
  const int bits = ParseBits(bitsText);
  if (bits != -1 && !(bits == profile.DefaultBits && !options.BitsEnabled())) {
    if (!options.BitsEnabled())
      throw EUsageError("'" + profile.Name + "' is always written at its own depth; leave out --bits");
    options.ChooseBits(BitsPositionOf(bits));
  }
  try {
    CheckProfileSize(registry, profile, options.EffectiveSize());
  } catch (const std::exception& e) {
    throw EUsageError(e.what());
  }
  return options;
}

void AddOverwriteFlags(CLI::App& command, bool& overwrite, bool& skipExisting) {
  auto* replace = command.add_flag("--overwrite", overwrite, "Replace existing output files");
  auto* keep = command.add_flag("--skip-existing", skipExisting, "Keep existing output files");
  replace->excludes(keep);
}

void AddInputBitsOption(CLI::App& command, std::string& bits) {
  command
      .add_option("--input-bits", bits,
                  "Bits per value assumed when reading integer codes: default (from the file), "
                  "8, 10, 12, 14, 16")
      ->capture_default_str();
}

void AddInterpolationOption(CLI::App& command, std::string& interpolation) {
  command
      .add_option("--interp", interpolation,
                  "How a cube is read between its nodes: trilinear, or tetrahedral as most "
                  "grading systems do")
      ->transform(CLI::IsMember({"trilinear", "tetrahedral"}, CLI::ignore_case))
      ->capture_default_str();
}

TReadOptions CliReadOptions(std::string_view inputBits, std::string_view interpolation, bool quiet) {
  TReadOptions options;
  options.InputBits = ParseBits(inputBits);
  options.Interpolation = interpolation == "tetrahedral" ? TLutInterpolation::Tetrahedral
                                                         : TLutInterpolation::Trilinear;
  if (!quiet)
    options.OnWarning = [](const std::filesystem::path& file, const std::string& text) {
      std::cerr << file.string() << ": warning: " << text << std::endl;
    };
  return options;
}

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

TConfirmAnswer TCliConfirm::Confirm(const std::string& message, bool withNo) {
  if (!StdinIsTerminal()) return TConfirmAnswer::Cancel;
  for (;;) {
    std::cerr << message << (withNo ? " [y/n/c] " : " [y/c] ") << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return TConfirmAnswer::Cancel;
    const std::string a = UpperCase(Trim(answer));
    if (a == "Y" || a == "YES") return TConfirmAnswer::Yes;
    if (withNo && (a == "N" || a == "NO")) return TConfirmAnswer::No;
    if (a == "C" || a == "CANCEL") return TConfirmAnswer::Cancel;
  }
}

TConfirmAnswer TCliConfirm::ConfirmOverwrite(const std::filesystem::path& file, bool withNo) {
  if (Overwrite) return TConfirmAnswer::Yes;
  if (SkipExisting) return TConfirmAnswer::No;
  if (!StdinIsTerminal())
    throw EInFileError(file.string(), "already exists; use --overwrite to replace it or "
                                      "--skip-existing to keep it");
  return IConfirm::ConfirmOverwrite(file, withNo);
}

namespace {
volatile std::sig_atomic_t Interrupted = 0;  // the signal, 0 for none

void OnInterrupt(int signal) {
  if (Interrupted) {  // a second one does not wait
    RemoveUnfinishedFiles();
    std::_Exit(128 + signal);
  }
  Interrupted = signal;
}
}  // namespace

TCliProgress::TCliProgress(bool enabled) : Bar(enabled) {
  Interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

TCliProgress::~TCliProgress() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool TCliProgress::Cancelled() { return Interrupted != 0; }

int TCliProgress::Signal() const { return Interrupted; }

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

std::string NearestWord(std::string_view word, const std::vector<std::string>& words) {
  // Edit distance with one row; a word counts as near within a third of its
  // length (at least one edit), so short typos match and unrelated words do not.
  const auto distance = [](std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
      std::size_t diagonal = row[0];
      row[0] = i;
      for (std::size_t j = 1; j <= b.size(); ++j) {
        const std::size_t above = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonal = above;
      }
    }
    return row[b.size()];
  };
  std::string best;
  std::size_t bestDistance = std::max<std::size_t>(1, word.size() / 3) + 1;
  for (const std::string& candidate : words) {
    const std::size_t d = distance(word, candidate);
    if (d < bestDistance) {
      best = candidate;
      bestDistance = d;
    }
  }
  return best;
}

std::filesystem::path OutputFileOption(const std::string& text, const TLutOutputProfile* profile) {
  std::error_code ec;
  if (text.empty() || text.back() == '/' || std::filesystem::is_directory(text, ec))
    throw EUsageError("-o names a folder ('" + text + "'); this command writes one file: give its name");
  std::filesystem::path file = text;
  if (!profile) return file;
  const std::string wanted = "." + profile->Extension;
  if (file.filename().string().find('.') == std::string::npos) {
    file += wanted;
  } else {
    WarnUnlessExtension(file, {wanted}, "the extension of '" + profile->Name + "'");
  }
  return file;
}

void WarnUnlessExtension(const std::filesystem::path& file, const std::vector<std::string>& wanted,
                         const std::string& whose) {
  const std::string name = file.filename().string();
  std::string list;
  for (const std::string& extension : wanted) {
    if (name.size() > extension.size() &&
        UpperCase(name.substr(name.size() - extension.size())) == UpperCase(extension))
      return;
    list += (list.empty() ? "" : " or ") + extension;
  }
  std::cerr << "tovilut: warning: '" << name << "' does not end in " << list << ", " << whose
            << std::endl;
}

void AddQuietFlag(CLI::App& command, bool& quiet, const std::string& silenced) {
  command.add_flag("-q,--quiet", quiet,
                   "Do not print " + silenced + "; failures and warnings still go to stderr");
}

void PrepareOutputFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  if (std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec))
    throw EUsageError("-o names a file ('" + folder.string() +
                     "'); convert writes into a folder: give one");
  if (!std::filesystem::exists(folder, ec) && !std::filesystem::create_directories(folder, ec) &&
      ec)
    throw EInFileError(folder.string(), "Cannot create folder. " + ec.message());
}

std::string TerminalText(std::string_view text) {
  std::string out;
  char escaped[8];
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    // C1 controls (U+0080..U+009F) are read by terminals as well.
    if (byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[at + 1]) >= 0x80) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x",
                    static_cast<unsigned>(static_cast<unsigned char>(text[++at])));
      out += escaped;
    } else if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
      out += escaped;
    } else {
      out += text[at];
    }
  }
  return out;
}

void ReportSkipped(const std::filesystem::path& output) {
  std::cout << "skipped " << output.string() << " (already exists)" << std::endl;
}

int ReportNotWritten(const std::filesystem::path& output, bool skipExisting, bool quiet) {
  if (skipExisting) {
    if (!quiet) ReportSkipped(output);
    return 0;
  }
  std::cerr << "tovilut: cancelled" << std::endl;
  return 1;
}

void ReportLosses(const std::filesystem::path& file, const std::vector<TWriteLoss>& losses) {
  for (const TWriteLoss& loss : losses)
    std::cerr << file.string() << ": warning: " << loss.Text << std::endl;
}
