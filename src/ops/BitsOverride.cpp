#include "ops/BitsOverride.h"

#include "image/HaldClutFormats.h"
#include "ops/Conversion.h"

int BitsPositionOf(int bitsPerValue) {
  for (int i = 1; i < 6; ++i)
    if (SelectedBits(i) == bitsPerValue) return i;
  return 0;
}

TReadOptions ReadOptionsOf(const TLutFileEntry& entry) {
  TReadOptions options;
  options.InputBits = entry.BitsPerValue;
  options.CdlId = entry.CdlId;
  options.CdlIndex = entry.CdlIndex;
  return options;
}

void LoadLutFile(const TLutRegistry& registry, const std::filesystem::path& file, TLUT& lut,
                 const TReadOptions& options) {
  registry.LoadLut(file, lut, -1, options);
  if (lut.FormatIndex < 0) {
    // A picture of a lattice's size that is no LUT says why it was not taken.
    const std::string why = NotALutPictureReason(file);
    throw ELUTError(why.empty() ? "Unknown LUT format." : "Unknown LUT format: " + why + ".");
  }
}
