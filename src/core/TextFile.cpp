#include "core/TextFile.h"

#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/StringLib.h"

void TTextFile::SetText(std::string text) {
  Clear();
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  Storage_ = std::move(text);
  Joined_ = false;
  const std::size_t size = Storage_.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = Storage_[i];
    if (c != '\r' && c != '\n') continue;
    if (Spans_.size() == MaxTextLines) {
      Clear();
      throw ELUTSizeError("The text has more than " + std::to_string(MaxTextLines) +
                          " lines: no LUT file holds that many.");
    }
    Spans_.emplace_back(start, i - start);
    if (c == '\r' && i + 1 < size && Storage_[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < size) Spans_.emplace_back(start, size - start);
}

void TTextFile::LoadFromFile(const std::filesystem::path& fileName) {
  SetText(ReadWholeFile(fileName));
}

void TTextFile::Add(std::string_view line) {
  if (Joined_ && Spans_.empty()) AddedBreak_ = LineBreak;
  Joined_ = Joined_ && AddedBreak_ == LineBreak;
  Spans_.emplace_back(Storage_.size(), line.size());
  Storage_.append(line);
  Storage_.append(AddedBreak_);
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  Spans_.reserve(Spans_.size() + lines);
  Storage_.reserve(Storage_.size() + bytes + lines * LineBreak.size());
}

void TTextFile::Clear() {
  Storage_.clear();
  Spans_.clear();
  Joined_ = true;
}

std::string TTextFile::Text() const {
  if (Joined_ && AddedBreak_ == LineBreak) return Storage_;
  std::string out;
  out.reserve(Storage_.size() + Spans_.size() * LineBreak.size());
  for (std::size_t i = 0; i < Count(); ++i) {
    out.append((*this)[i]);
    out.append(LineBreak);
  }
  return out;
}

void TTextFile::SaveToFile(const std::filesystem::path& fileName) const {
  if (Joined_ && AddedBreak_ == LineBreak) {
    WriteFileAtomic(fileName, Storage_);
  } else {
    WriteFileAtomic(fileName, Text());
  }
}

bool MatchKeywords(const std::filesystem::path& fileName, std::string_view must,
                   std::string_view mustNot) {
  const std::string head = UpperCase(ReadFilePrefix(fileName, DetectionHeadSize));
  auto anyItem = [&](std::string_view list, bool wanted) {
    // true when some item's presence equals `wanted`
    while (!list.empty()) {
      const std::string item = UpperCase(CutBefore(",", list));
      if (item.empty()) continue;
      if ((head.find(item) != std::string::npos) == wanted) return true;
    }
    return false;
  };
  return !anyItem(mustNot, true) && !anyItem(must, false);
}
