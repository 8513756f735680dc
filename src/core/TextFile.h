// The line container every text reader loads and every text writer fills.
// Loading cuts lines at CR, LF or CRLF; a NUL ends the text; a UTF-8
// byte-order mark at the start is dropped. Saving writes every line followed
// by LineBreak (a final one included) in one atomic write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/FileIO.h"

// The most lines a loaded text may hold: a 100-point cube is a million data
// lines, so five million leave room for blank and comment lines, while a
// hostile file of empty lines cannot make the line index outgrow the text.
constexpr std::size_t MaxTextLines = 5'000'000;

class TTextFile {
 public:
  std::string LineBreak = "\n";

  // Both raise ELUTSizeError for a text of more than MaxTextLines lines.
  void LoadFromFile(const std::filesystem::path& fileName);
  void SetText(std::string text);
  void SaveToFile(const std::filesystem::path& fileName,
                  TReplace replace = TReplace::Allow) const;
  // All lines joined, each followed by LineBreak: what SaveToFile writes.
  std::string Text() const;

  std::size_t Count() const { return Starts_.empty() ? 0 : Starts_.size() - 1; }
  std::string_view operator[](std::size_t i) const;
  void Add(std::string_view line);
  // Add a line that fill(std::string&) appends in place, with no copy.
  template <typename Fill>
  void AddFilled(Fill&& fill) {
    BeginAdd();
    fill(Storage_);
    EndAdd();
  }
  // Room for that many more lines of about that many bytes in all.
  void Reserve(std::size_t lines, std::size_t bytes);
  void Clear();

 private:
  void BeginAdd();
  void EndAdd();

  // Loaded text, or the added lines each followed by AddedBreak_: a file
  // built by Add is then saved without another copy.
  std::string Storage_;
  // Where each line starts, then where a next one would: a line ends before
  // the break that precedes the next start. Four bytes a line keep the index
  // of a big cube small (texts are far below 4 GB).
  std::vector<std::uint32_t> Starts_;
  bool Joined_ = true;
  std::string AddedBreak_ = "\n";
};

// How much of a file's head the recognisers look at.
constexpr std::size_t DetectionHeadSize = 4096;

// The recogniser of most text formats: upper-cased comma-separated keywords,
// every "must" one and none of the "mustNot" ones found anywhere in the
// first DetectionHeadSize bytes, outside quoted text.
bool MatchKeywords(const std::filesystem::path& fileName, std::string_view must,
                   std::string_view mustNot);
