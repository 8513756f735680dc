// The base of the line-oriented text formats. Read loads the file, gives the
// subclass one look at the whole text (ReadHeader), then every line in order
// (ReadLine), stores the kind and size found, and insists on complete data.
// Subclasses keep their parse state in the fields below, reset per read.
#pragma once

#include "core/LUTFormat.h"
#include "core/TextFile.h"

class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  void Read(const std::filesystem::path& fileName, TLUT& lut) override;

 protected:
  virtual void ReadHeader(const TTextFile& lines) { (void)lines; }
  virtual void ReadLine(std::string_view line, TLUT& lut) {
    (void)line;
    (void)lut;
  }

  // Take a declared size: checked against the record's limits before any
  // data is stored, then the record's storage of that kind is made ready.
  void DeclareCubeSize(TLUT& lut, int n);
  void DeclareCurveSize(TLUT& lut, int m);

  // Store one node in file order red fastest, green, blue slowest, and set
  // Complete after the last one.
  void StoreNodeRedFastest(TLUT& lut, const TLutRGB& rgb);
  // Store one node in file order blue fastest, green, red slowest.
  void StoreNodeBlueFastest(TLUT& lut, const TLutRGB& rgb);
  // Store the next curve entry (Counter4) and set Complete after the last one.
  void StoreCurveEntry(TLUT& lut, const TLutRGB& rgb);

  int IndexR = 0;
  int IndexG = 0;
  int IndexB = 0;
  int Counter4 = 0;
  int LutSize = -1;     // declared cube size or curve length; -1 while unknown
  int ValueScale = -1;  // the format's integer scale (bits or maximum code)
  bool Complete = false;
  const TTextFile* Lines = nullptr;  // only during Read
};
