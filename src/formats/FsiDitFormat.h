// FSI DIT: the binary monitor LUT of a 128-byte header and a fixed 64-point
// cube of packed 10-bit codes.
#pragma once

#include "core/LUTFormat.h"

class TFSI_DIT_3DLutFormat : public TLUTFormat {
 public:
  TFSI_DIT_3DLutFormat()
      : TLUTFormat("FSI DIT (Flanders Scientific) 3D", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// The header checksum: byte 127 accumulates bytes 0..127 in order, itself
// included last, so it ends as twice the sum of bytes 0..126 modulo 256.
unsigned char FsiDitHeaderChecksum(const unsigned char* header);
