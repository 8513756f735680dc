// The look files of two grading applications: XML shader descriptions. The
// SpeedGrade look carries a 3D LUT inline as hexadecimal 32-bit floats; the
// Premiere look only names a .cube file written beside it.
#pragma once

#include <string>
#include <string_view>

#include "core/LUTFormat.h"

class TSpeedgradeLook3DLutFormat : public TLUTFormat {
 public:
  TSpeedgradeLook3DLutFormat()
      : TLUTFormat("Adobe SpeedGrade Look 3D", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  // A look without a LUT reads as ltEmpty; a Premiere look reads as the .cube
  // it names.
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  // Bits are ignored: values are written as 32-bit floats.
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// Write only: a Premiere look reads back through the SpeedGrade reader.
class TSpeedgradeLook3DLutV2Format : public TLUTFormat {
 public:
  TSpeedgradeLook3DLutV2Format() : TLUTFormat("Adobe Primeire Look", true, fcWrite) {}
  // Writes the LUT as a .cube beside the look (through the Cube 3D format),
  // then the look naming it. An existing .cube is replaced only when the
  // context's Confirm answers Yes to the overwrite question; any other answer
  // writes neither file and raises EOutputKept. Without Confirm, an existing
  // .cube raises EFileError and nothing is written.
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  std::vector<std::filesystem::path> CompanionFiles(
      const std::filesystem::path& fileName) const override;
};

// The .cube a Premiere look at this path refers to.
std::filesystem::path LookCubePath(const std::filesystem::path& lookFile);

// A value as a 32-bit float, its four bytes in little-endian order as eight
// upper-case hexadecimal digits: 1.0 -> "0000803F".
std::string FloatToHex(double value);
// The next eight hexadecimal digits from pos on (any case; every other
// character skipped), as FloatToHex wrote them; pos ends after the last
// digit taken. Digits cut short by the end count as 0; a NaN reads as 0.
double ReadHexFloat(std::string_view text, std::size_t& pos);
