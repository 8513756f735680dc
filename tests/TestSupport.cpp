#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/FileIO.h"
#include "registry/FormatTable.h"

void TempDirTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  Dir = fs::temp_directory_path() /
        ("tovi-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
         std::to_string(::getpid()));
  for (char& c : const_cast<std::string&>(Dir.native()))
    if (c == '*' || c == '\\') c = '_';
  fs::remove_all(Dir);
  fs::create_directories(Dir);
}

void TempDirTest::TearDown() {
  std::error_code ec;
  fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(Dir, ec);
}

fs::path TempDirTest::Write(const std::string& name, const std::string& content) const {
  const fs::path p = Path(name);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

std::string ReadText(const fs::path& file) { return ReadWholeFile(file); }

fs::path DataFile(const std::string& name) { return fs::path(TOVI_TEST_DATA) / name; }

TLutRGB TestColour(const TLutRGB& x) {
  return {0.1 + 0.7 * x.R * x.R + 0.2 * x.G * x.B, 0.05 + 0.6 * std::sqrt(x.G) + 0.3 * x.R * x.B,
          0.1 + 0.8 * x.B + 0.08 * std::sin(3 * x.R + x.G)};
}

TLUT MakeCube(int n) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut.Cube(r, g, b) = TestColour({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
  return lut;
}

TLUT MakeCurves(int m) {
  TLUT lut;
  lut.LutType = lt1D;
  lut.SetSize1D(m);
  for (int i = 0; i < m; ++i) {
    const double x = i / (m - 1.0);
    lut.Curve(i) = {x * x, std::sqrt(x), 0.2 + 0.6 * x};
  }
  return lut;
}

const TLutOutputProfile& ProfileNamed(const std::string& name) {
  for (const auto& p : LutRegistry().LutOutputProfiles())
    if (p.Name == name) return p;
  throw std::runtime_error("no output profile named " + name);
}

TBitmap MakePicture(int width, int height) {
  TBitmap picture(width, height);
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const auto detail = static_cast<int>((noise >> 16) % 32);
      picture.SetPixel(x, y, {static_cast<std::uint8_t>((x * 255 / std::max(1, width - 1) + detail) % 256),
                              static_cast<std::uint8_t>((y * 255 / std::max(1, height - 1)) ^ detail),
                              static_cast<std::uint8_t>(((x + y) * 7 + detail) % 256)});
    }
  return picture;
}
