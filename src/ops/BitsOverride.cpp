#include "ops/BitsOverride.h"

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
  return options;
}

void LoadLutFile(const TLutRegistry& registry, const std::filesystem::path& file, TLUT& lut,
                 const TReadOptions& options) {
  registry.LoadLut(file, lut, -1, options);
  if (lut.FormatIndex < 0) throw ELUTError("Unknown LUT format.");
}
