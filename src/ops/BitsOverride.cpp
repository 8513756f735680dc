#include "ops/BitsOverride.h"

#include "ops/Conversion.h"

int BitsPositionOf(int bitsPerValue) {
  for (int i = 1; i < 6; ++i)
    if (SelectedBits(i) == bitsPerValue) return i;
  return 0;
}

void CopyBitsBeforeRead(const TLutRegistry& registry, const TLutFileEntry& entry) {
  if (TLUTFormat* format = registry.GetLutFormat(entry.FormatIndex))
    format->InputBits = entry.BitsPerValue;
}

void LoadLutWithDetectedBits(const TLutRegistry& registry, const std::filesystem::path& file,
                             TLUT& lut) {
  const int index = registry.DetectLutFormat(file);
  if (index < 0) throw ELUTError("Unknown LUT format.");
  registry.GetLutFormat(index)->InputBits = -1;
  lut.Comments.clear();
  registry.LoadLut(file, lut, index);
}
