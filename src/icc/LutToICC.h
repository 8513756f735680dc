// Turning a LUT into an ICC profile (PCS XYZ, lut16 tags) that colour-managed
// applications can apply: a display profile whose PCS-to-device table is the
// LUT, an input profile whose device-to-PCS table is the LUT followed by an
// sRGB (or gamma 1.8) encoding, or a device link that is the LUT itself.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

#include "core/LUTFormat.h"
#include "icc/ICCWriteLib.h"

enum class TICCProfileKind { Display, Input, DeviceLink };

struct TLutProfileOptions {
  TICCProfileKind Kind = TICCProfileKind::Input;
  std::string Description;
  std::string Copyright = "Copyright (c)";
  // Device values decode with gamma 1.8 and its own matrix, for Capture One.
  bool CaptureOneGamma = false;
  TICCVersion Version = TICCVersion::V4;
};

using TICCCurve = std::array<std::uint16_t, 1024>;

// sRGB decoding (IEC 61966-2-1), device value -> linear light.
const TICCCurve& SRGBDecodingTable();
// x^1.8, device value -> linear light, for the Capture One setting.
const TICCCurve& Gamma18Table();
// Linear light -> sRGB value, quantised to steps of 65535/1023.
const TICCCurve& EncodingTable();
// PCS XYZ (halved, as lut16 encodes it) -> linear sRGB.
const TICCMatrix& PCSToRGBMatrix();

// What choosing a LUT file proposes: the description is the file's name
// without folder and extension, the profile goes beside it as .icc.
std::string DefaultProfileDescription(const std::filesystem::path& lutFile);
std::filesystem::path DefaultProfileFileName(const std::filesystem::path& lutFile);

// A LUT value as a 16-bit code: below 0 or not a number -> 0, above 1 -> 1.
std::uint16_t LutValueToWord(double v);

// Appends the XYZ (lut16 PCS encoding) of a device colour to a table body.
void AppendRGBToXYZ(TICCProfileStream& body, std::uint16_t r, std::uint16_t g, std::uint16_t b,
                    bool captureOneGamma);

// Adds the class's tags in order and sets the header (stamped now, or with
// the given time). The record must be normalised and hold data. The
// writer's own version decides the text types (options.Version is what
// WriteLutProfile makes its writer with).
void BuildLutProfile(TICCProfileWriter& writer, const TLUT& lut, const TLutProfileOptions& options,
                     const std::tm* stamp = nullptr);

// Builds and writes the profile; a failed write raises EFileError.
void WriteLutProfile(const std::filesystem::path& output, const TLUT& lut,
                     const TLutProfileOptions& options, TReplace replace = TReplace::Allow);
