// FSI DIT layout, all integers little-endian:
//
//   offset   0  magic 0x42340299
//            4  0x01000002
//           40  sum of all data bytes (32-bit, wrapping)
//           44  0x00100000, the data size of a 64-point cube
//           48  "Tovi LUT Convert" (16 characters, a zero after them)
//          127  header checksum
//          128  one word per node, red fastest: bits 0-9 red, 10-19 green,
//               20-29 blue; a code c means c / 1008 (full scale is 1008)
//
// The reader always takes a 64-point cube whatever the header says. A file
// too short for it is refused as incomplete rather than leaving nodes unset;
// the writer clamps codes to 0..1023 so none spills into its neighbour field.
#include "formats/FsiDitFormat.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/FileIO.h"

namespace {

constexpr std::uint32_t Magic = 0x42340299;
constexpr int CubeSize = 64;
constexpr std::size_t HeaderSize = 128;
constexpr double FullScale = 1008.0;

std::uint32_t GetLE32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

void PutLE32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t Code(double v) {
  const double c = std::nearbyint(v * FullScale);
  if (!(c > 0)) return 0;
  return c > 1023 ? 1023u : static_cast<std::uint32_t>(c);
}

}  // namespace

unsigned char FsiDitHeaderChecksum(const unsigned char* header) {
  unsigned char sum = 0;  // byte 127 starts at 0 and takes itself in last
  for (std::size_t i = 0; i + 1 < HeaderSize; ++i)
    sum = static_cast<unsigned char>(sum + header[i]);
  return static_cast<unsigned char>(sum + sum);
}

bool TFSI_DIT_3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  const std::string head = ReadFilePrefix(fileName, HeaderSize);
  return head.size() >= 4 && GetLE32(reinterpret_cast<const unsigned char*>(head.data())) == Magic;
}

void TFSI_DIT_3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                                const TReadOptions&) const {
  const std::size_t words = std::size_t(CubeSize) * CubeSize * CubeSize;
  const std::string data = ReadFilePrefix(fileName, HeaderSize + 4 * words);
  if (data.size() < HeaderSize + 4 * words) throw ELUTError("Incomplete file.");
  lut.LutType = lt3D;
  lut.SetSize3D(CubeSize);
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + HeaderSize;
  for (int b = 0; b < CubeSize; ++b)
    for (int g = 0; g < CubeSize; ++g)
      for (int r = 0; r < CubeSize; ++r, p += 4) {
        const std::uint32_t w = GetLE32(p);
        lut.Cube(r, g, b) = {(w & 0x3FF) / FullScale, (w >> 10 & 0x3FF) / FullScale,
                             (w >> 20 & 0x3FF) / FullScale};
      }
}

void TFSI_DIT_3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                 const TWriteContext& context) const {
  const int n = lut.Size3D() > 0 ? lut.Size3D() : 0;
  std::string file(HeaderSize + 4 * std::size_t(n) * n * n, '\0');
  auto* header = reinterpret_cast<unsigned char*>(file.data());
  PutLE32(header + 0, Magic);
  PutLE32(header + 4, 0x01000002);
  PutLE32(header + 44, 0x00100000);
  std::memcpy(header + 48, "Tovi LUT Convert", 16);

  unsigned char* p = header + HeaderSize;
  std::uint32_t dataSum = 0;
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r, p += 4) {
        const TLutRGB& c = lut.Cube(r, g, b);
        PutLE32(p, Code(c.R) | Code(c.G) << 10 | Code(c.B) << 20);
        dataSum += std::uint32_t(p[0]) + p[1] + p[2] + p[3];
      }
  PutLE32(header + 40, dataSum);
  header[127] = FsiDitHeaderChecksum(header);
  WriteFileAtomic(fileName, file, context.Replace);
}
