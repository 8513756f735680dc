// Pieces shared by the 1D text formats: the parser of the formats whose table
// is as long as the entries read (no declared length).
#pragma once

#include <string_view>
#include <vector>

#include "core/GenericLutFormat.h"

// The record's storage is sized to the data, but these files only tell their
// length at the end, so entries are gathered here and handed to the record
// once the count is known. LutSize counts them (-1 until the table begins).
class TCountedCurveParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  void Finish(TLUT& lut) override;

 protected:
  // The table has begun: from here on the file counts as complete.
  void BeginTable();
  // The next entry. The one past the record's limit is refused, not stored.
  void AppendEntry(const TLutRGB& rgb);

 private:
  std::vector<TLutRGB> Entries;
};
