#include "formats/FsiDitFormat.h"

#include "TestSupport.h"
#include "core/LUTFormat.h"

using FsiDit = TempDirTest;

namespace {
std::uint32_t Word(const std::string& data, std::size_t offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + offset;
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
}  // namespace

TEST_F(FsiDit, LayoutChecksumsAndPackedWords) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(64);
  lut.Cube(0, 0, 0) = {1.0, 0.5, 0.0};
  lut.Cube(1, 0, 0) = {2.0, -1.0, 1.5};  // out of range: clamped, no spill
  TFSI_DIT_3DLutFormat format;
  const fs::path file = Path("monitor.bin");
  format.Write(file, lut, {10});
  const std::string data = ReadText(file);
  ASSERT_EQ(data.size(), 1048704u);
  EXPECT_EQ(Word(data, 0), 0x42340299u);
  EXPECT_EQ(Word(data, 4), 0x01000002u);
  EXPECT_EQ(Word(data, 44), 0x00100000u);
  EXPECT_EQ(data.substr(48, 17), std::string("Tovi LUT Convert") + '\0');
  EXPECT_EQ(Word(data, 128), 0x0007E3F0u);
  EXPECT_EQ(Word(data, 132), 1023u | 0u << 10 | 1023u << 20);
  std::uint32_t sum = 0;
  for (std::size_t i = 128; i < data.size(); ++i) sum += static_cast<unsigned char>(data[i]);
  EXPECT_EQ(Word(data, 40), sum);
  unsigned head = 0;
  for (int i = 0; i < 127; ++i) head += static_cast<unsigned char>(data[i]);
  EXPECT_EQ(static_cast<unsigned char>(data[127]), (2 * head) % 256);

  EXPECT_TRUE(format.Detect(file));  // by magic, whatever the extension
  TLUT back;
  format.Read(file, back, {});
  EXPECT_EQ(back.Cube(0, 0, 0), (TLutRGB{1.0, 0.5, 0.0}));
  EXPECT_EQ(back.Cube(1, 0, 0).R, 1023 / 1008.0);
}

TEST_F(FsiDit, HeaderChecksumIsTwiceTheSumModulo256) {
  unsigned char header[128] = {};
  header[0] = 200;
  header[126] = 100;  // bytes 0..126 sum to 300
  EXPECT_EQ(FsiDitHeaderChecksum(header), 88);
}

TEST_F(FsiDit, ShortFileIsIncompleteAndOtherFilesAreNotDetected) {
  TFSI_DIT_3DLutFormat format;
  const fs::path file = Write("short.dat", std::string("\x99\x02\x34\x42", 4) + std::string(500, 'x'));
  EXPECT_TRUE(format.Detect(file));
  TLUT lut;
  EXPECT_THROW(format.Read(file, lut, {}), ELUTError);
  EXPECT_FALSE(format.Detect(Write("tiny.dat", "\x99\x02")));
  EXPECT_FALSE(format.Detect(DataFile("cube/identity_2.cube")));
}
