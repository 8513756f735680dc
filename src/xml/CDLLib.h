// ASC CDL: one colour correction (slope, offset, power per channel and a
// saturation), read from a ColorCorrection file and evaluated in 32-bit
// float arithmetic; the format class reads it as a 33-point cube that
// carries the correction itself as its formula.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"

struct TCDLCorrection {
  float SlopeR = 1, OffsetR = 0, PowerR = 1;
  float SlopeG = 1, OffsetG = 0, PowerG = 1;
  float SlopeB = 1, OffsetB = 0, PowerB = 1;
  float Saturation = 1;  // 1 when the file has none
  std::string Id;        // the ColorCorrection "id" attribute, empty if absent
};

// Fills the correction from a ColorCorrection file, or from the first
// correction of a collection or decision list (the one of that id when id is
// not empty, else the one at index, counted from 0, when index is not -1).
// A missing element raises the XML reader's node-not-found error; a number
// that is missing or not valid with "." raises EConvertError.
void ReadCDLFile(const std::filesystem::path& fileName, TCDLCorrection& cdl,
                 const std::string& id = "", int index = -1);
// The ids of the corrections a file holds, in file order.
std::vector<std::string> ReadCDLIds(const std::filesystem::path& fileName);

// Slope, offset and power per channel (negative results become 0, nothing
// is clamped above), then saturation around the Rec. 709 luma.
void ApplyCDL(const TCDLCorrection& cdl, float r, float g, float b, float& outR, float& outG,
              float& outB);

// Read only: no output profile writes it.
class TASC_CDL_Format : public TLUTFormat {
 public:
  TASC_CDL_Format() : TLUTFormat("ASC CDL", true, fcRead | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
};
