// The codec layer: which names are read, what every kind of picture becomes,
// what is refused before decoding, and that writes replace files whole.
#include "image/ImageLib.h"

#include <cstring>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "image/ImageTestSupport.h"

namespace {

class ImageLib : public TempDirTest {};

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// A BMP header that claims a size; the pixel data is absent.
std::string BmpHeader(std::int32_t width, std::int32_t height) {
  std::string h(54, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>(v >> (8 * i));
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  h[26] = 1;
  h[28] = 24;
  return h;
}

TEST_F(ImageLib, EveryWrittenTypeReadsBackAsWritten) {
  const TBitmap picture = MakePicture(37, 23);
  struct Case {
    const char* name;
    TImageFileType type;
    int tolerance;
  } cases[] = {{"a.bmp", TImageFileType::Bmp, 0},
               {"a.tif", TImageFileType::Tiff, 0},
               {"a.png", TImageFileType::Png, 0},
               {"a.jpg", TImageFileType::Jpeg, 12}};  // lossy even at quality 100
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SaveBitmap(Path(c.name), picture, c.type);
    TBitmap back;
    const TImageInfo info = DecodeImageFile(Path(c.name), back);
    EXPECT_TRUE(info.Is24Bit());
    ASSERT_EQ(back.Width(), 37);
    ASSERT_EQ(back.Height(), 23);
    int worst = 0;
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) {
        const auto a = picture.Pixel(x, y), b = back.Pixel(x, y);
        worst = std::max({worst, std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
      }
    EXPECT_LE(worst, c.tolerance);
  }
  // The type decides the encoding, not the name.
  SaveBitmap(Path("really-a-bmp.tif"), picture, TImageFileType::Bmp);
  EXPECT_EQ(ReadFilePrefix(Path("really-a-bmp.tif"), 2), "BM");
}

TEST_F(ImageLib, OnlyWholeKnownExtensionsAreLoaded) {
  SaveBitmap(Path("pic.BMP"), MakePicture(4, 4), TImageFileType::Bmp);
  SaveBitmap(Path("pic.JPEG"), MakePicture(4, 4), TImageFileType::Jpeg);
  SaveBitmap(Path("pic.Tiff"), MakePicture(4, 4), TImageFileType::Tiff);
  TBitmap bitmap;
  fs::copy_file(Path("pic.BMP"), Path(".bmp"));  // a name that is all extension
  for (const char* name : {"pic.BMP", "pic.JPEG", "pic.Tiff", ".bmp"}) {
    EXPECT_NO_THROW(LoadImageToBitmap(Path(name), bitmap)) << name;
    EXPECT_EQ(bitmap.Width(), 4);
  }
  struct Case {
    const char* name;
    const char* message;
  } refused[] = {{"pic.png", "Unknown picture file extension (.png)"},
                 {"pic.jp", "Unknown picture file extension (.jp)"},
                 {"pic.t", "Unknown picture file extension (.t)"},
                 {"pic", "Unknown picture file extension (.)"},
                 {"pic.", "Unknown picture file extension (.)"}};
  for (const Case& c : refused) {
    fs::copy_file(Path("pic.BMP"), Path(c.name));
    EXPECT_EQ(ErrorOf([&] { LoadImageToBitmap(Path(c.name), bitmap); }), c.message);
  }
}

TEST_F(ImageLib, GreyAlphaAndDeepPicturesBecome24Bit) {
  struct Case {
    const char* name;
    int channels, bits;
    bool is24Bit;
  } cases[] = {{"grey.jpg", 1, 8, false}, {"grey-alpha.tif", 2, 8, false},
               {"rgba.tif", 4, 8, false}, {"rgba.bmp", 4, 8, false},
               {"deep.tif", 3, 16, false}, {"plain.tif", 3, 8, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteRawPicture(Path(c.name), 6, 5, c.channels, c.bits, 0.6);
    TBitmap bitmap;
    const TImageInfo info = LoadImageToBitmap(Path(c.name), bitmap);
    EXPECT_EQ(info.Channels, c.channels);
    EXPECT_EQ(info.Is24Bit(), c.is24Bit);
    ASSERT_EQ(bitmap.Width(), 6);
    const auto p = bitmap.Pixel(5, 4);
    EXPECT_NEAR(p.R, 153, 1);
    EXPECT_EQ(p.G, p.R);
    EXPECT_EQ(p.B, p.R);
  }
}

TEST_F(ImageLib, ColoursKeepTheirChannels) {
  TBitmap picture(2, 1);
  picture.SetPixel(0, 0, {250, 10, 0});
  picture.SetPixel(1, 0, {0, 20, 240});
  EXPECT_EQ(picture.Row(0)[0], 0);  // blue first in memory
  EXPECT_EQ(picture.Row(0)[2], 250);
  SaveBitmap(Path("c.png"), picture, TImageFileType::Png);
  TBitmap back;
  DecodeImageFile(Path("c.png"), back);
  EXPECT_EQ(back, picture);
}

TEST_F(ImageLib, HugeOrDamagedPicturesAreRefusedWithAMessage) {
  // Both claims are refused from the header, before a pixel is allocated.
  Write("wide.bmp", BmpHeader(70000, 10));
  Write("vast.bmp", BmpHeader(20000, 20000));
  TBitmap bitmap;
  for (const char* name : {"wide.bmp", "vast.bmp"})
    EXPECT_TRUE(ErrorOf([&] { LoadImageToBitmap(Path(name), bitmap); }).find("too large") !=
                std::string::npos)
        << name;

  SaveBitmap(Path("whole.jpg"), MakePicture(64, 64), TImageFileType::Jpeg);
  Write("cut.jpg", ReadFilePrefix(Path("whole.jpg"), 300));
  SaveBitmap(Path("whole.tif"), MakePicture(64, 256), TImageFileType::Tiff);
  Write("cut.tif", ReadFilePrefix(Path("whole.tif"), fs::file_size(Path("whole.tif")) / 2));
  Write("junk.tif", std::string(500, 'x'));
  for (const char* name : {"cut.jpg", "cut.tif", "junk.tif"}) {
    const std::string message = ErrorOf([&] { LoadImageToBitmap(Path(name), bitmap); });
    EXPECT_FALSE(message.empty()) << name;
  }
  EXPECT_THROW(LoadImageToBitmap(Path("missing.bmp"), bitmap), EFileError);
}

TEST_F(ImageLib, AFailedSaveKeepsTheOldFile) {
  const fs::path target = Write("keep.png", "old");
  EXPECT_THROW(SaveBitmap(target, TBitmap(), TImageFileType::Png), EImageError);
  EXPECT_THROW(SaveBitmap(Path("no/such/dir/x.png"), MakePicture(2, 2), TImageFileType::Png),
               EFileError);
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
}

}  // namespace
