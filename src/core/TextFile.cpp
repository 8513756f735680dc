#include "core/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/StringLib.h"

void TTextFile::SetText(std::string text) {
  Clear();
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  if (text.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
    throw ELUTSizeError("The text is too large: no LUT file is that large.");
  Storage_ = std::move(text);
  Joined_ = false;
  const char* const data = Storage_.data();
  const std::size_t size = Storage_.size();
  if (size == 0) return;
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
  Starts_.reserve(std::min(MaxTextLines, size / 16 + 1) + 1);
  Starts_.push_back(0);
  std::size_t start = 0;
  for (std::size_t i = nextBreak(0); i < size; i = nextBreak(start)) {
    if (Starts_.size() - 1 == MaxTextLines) {
      Clear();
      throw ELUTSizeError("The text has more than " + std::to_string(MaxTextLines) +
                          " lines: no LUT file holds that many.");
    }
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    start = i + 1;
    Starts_.push_back(static_cast<std::uint32_t>(start));
  }
  // A last line without a break ends at the end, as if one followed it.
  if (start < size) Starts_.push_back(static_cast<std::uint32_t>(size + 1));
}

std::string_view TTextFile::operator[](std::size_t i) const {
  const std::size_t begin = Starts_[i];
  std::size_t end = Starts_[i + 1];
  if (Joined_) {
    end -= AddedBreak_.size();
  } else {
    --end;  // the break's last character (or the end of the text)
    if (end < Storage_.size() && Storage_[end] == '\n' && end > begin && Storage_[end - 1] == '\r')
      --end;
  }
  return std::string_view(Storage_).substr(begin, end - begin);
}

void TTextFile::LoadFromFile(const std::filesystem::path& fileName) {
  SetText(ReadWholeFile(fileName));
}

void TTextFile::Add(std::string_view line) {
  AddFilled([&](std::string& out) { out.append(line); });
}

void TTextFile::BeginAdd() {
  // A loaded text whose last line has no break gets one before the new line.
  if (!Joined_ && !Starts_.empty() && Starts_.back() == Storage_.size() + 1) {
    Storage_ += '\n';
    Starts_.back() = static_cast<std::uint32_t>(Storage_.size());
  }
  if (Joined_ && Starts_.empty()) {
    AddedBreak_ = LineBreak;
    Starts_.push_back(static_cast<std::uint32_t>(Storage_.size()));
  }
  Joined_ = Joined_ && AddedBreak_ == LineBreak;
}

void TTextFile::EndAdd() {
  Storage_.append(AddedBreak_);
  Starts_.push_back(static_cast<std::uint32_t>(Storage_.size()));
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  Starts_.reserve(Starts_.size() + lines + 1);
  Storage_.reserve(Storage_.size() + bytes + lines * LineBreak.size());
}

void TTextFile::Clear() {
  Storage_.clear();
  Starts_.clear();
  Joined_ = true;
}

std::string TTextFile::Text() const {
  if (Joined_ && AddedBreak_ == LineBreak) return Storage_;
  std::string out;
  out.reserve(Storage_.size() + Count() * LineBreak.size());
  for (std::size_t i = 0; i < Count(); ++i) {
    out.append((*this)[i]);
    out.append(LineBreak);
  }
  return out;
}

void TTextFile::SaveToFile(const std::filesystem::path& fileName, TReplace replace) const {
  if (Joined_ && AddedBreak_ == LineBreak) {
    WriteFileAtomic(fileName, Storage_, replace);
  } else {
    WriteFileAtomic(fileName, Text(), replace);
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
