#include "core/TextFile.h"

#include <algorithm>
#include <cstring>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/StringLib.h"

void TTextFile::SetText(std::string text) {
  Clear();
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  Storage_ = std::move(text);
  Joined_ = false;
  const char* const data = Storage_.data();
  const std::size_t size = Storage_.size();
  // Most files have LF line ends alone, which memchr finds fastest; a CR
  // anywhere sends the whole text through the careful walk.
  const bool hasCR = std::memchr(data, '\r', size) != nullptr;
  auto nextBreak = [&](std::size_t from) -> std::size_t {
    if (!hasCR) {
      const void* lf = std::memchr(data + from, '\n', size - from);
      return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
    }
    while (from < size && data[from] != '\r' && data[from] != '\n') ++from;
    return from;
  };
  // Room for lines of 16 bytes or more on average; pages reserved and never
  // used cost nothing, and shorter lines only make the index grow.
  Spans_.reserve(std::min(MaxTextLines, size / 16 + 1));
  std::size_t start = 0;
  for (std::size_t i = nextBreak(0); i < size; i = nextBreak(start)) {
    if (Spans_.size() == MaxTextLines) {
      Clear();
      throw ELUTSizeError("The text has more than " + std::to_string(MaxTextLines) +
                          " lines: no LUT file holds that many.");
    }
    Spans_.emplace_back(start, i - start);
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < size) Spans_.emplace_back(start, size - start);
}

void TTextFile::LoadFromFile(const std::filesystem::path& fileName) {
  SetText(ReadWholeFile(fileName));
}

void TTextFile::Add(std::string_view line) {
  AddFilled([&](std::string& out) { out.append(line); });
}

std::size_t TTextFile::BeginAdd() {
  if (Joined_ && Spans_.empty()) AddedBreak_ = LineBreak;
  Joined_ = Joined_ && AddedBreak_ == LineBreak;
  return Storage_.size();
}

void TTextFile::EndAdd(std::size_t start) {
  Spans_.emplace_back(start, Storage_.size() - start);
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
  std::string head = UpperCase(ReadFilePrefix(fileName, DetectionHeadSize));
  // Writers embed names (a title, a name attribute, a look's .cube) between
  // quotes, and a name must not make a file look like another format: quoted
  // text, up to the same closing quote or the line's end, is not searched.
  char quote = 0;
  for (char& c : head) {
    if (c == '\n') {
      quote = 0;
    } else if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    } else if (c == quote) {
      quote = 0;
    } else if (quote != 0) {
      c = ' ';
    }
  }
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
