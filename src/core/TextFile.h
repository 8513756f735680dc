// The line container every text reader loads and every text writer fills.
// Loading cuts lines at CR, LF or CRLF; a NUL ends the text; a UTF-8
// byte-order mark at the start is dropped. Saving writes every line followed
// by LineBreak (a final one included) in one atomic write.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  void SaveToFile(const std::filesystem::path& fileName) const;
  // All lines joined, each followed by LineBreak: what SaveToFile writes.
  std::string Text() const;

  std::size_t Count() const { return Spans_.size(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(Storage_).substr(Spans_[i].first, Spans_[i].second);
  }
  void Add(std::string_view line);
  // Add a line that fill(std::string&) appends in place, with no copy.
  template <typename Fill>
  void AddFilled(Fill&& fill) {
    const std::size_t start = BeginAdd();
    fill(Storage_);
    EndAdd(start);
  }
  // Room for that many more lines of about that many bytes in all.
  void Reserve(std::size_t lines, std::size_t bytes);
  void Clear();

 private:
  std::size_t BeginAdd();
  void EndAdd(std::size_t start);

  // Loaded text, or the added lines each followed by AddedBreak_: a file
  // built by Add is then saved without another copy.
  std::string Storage_;
  std::vector<std::pair<std::size_t, std::size_t>> Spans_;  // offset, length
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
