// The codec layer: which names are read, what every kind of picture becomes,
// what is refused before decoding, and that writes replace files whole.
#include "image/ImageLib.h"

#include <unistd.h>

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

// A BMP header that claims a size; the pixel data is absent. With a palette
// of `colours` entries (grey level i for entry i) and run-length coding when
// `compression` is 1 (RLE8).
std::string BmpHeader(std::int32_t width, std::int32_t height, int bits = 24, int colours = 0,
                      int compression = 0) {
  std::string h(54, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>(v >> (8 * i));
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, 54 + 4 * colours);
  put32(10, 54 + 4 * colours);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  h[26] = 1;
  h[28] = static_cast<char>(bits);
  put32(30, static_cast<std::uint32_t>(compression));
  put32(46, static_cast<std::uint32_t>(colours));
  for (int i = 0; i < colours; ++i) h += std::string(3, static_cast<char>(i)) + '\0';
  return h;
}

// A JPEG of 16 x 16 pixels whose frame header is made to claim width x
// height, marked progressive (the kind whose coefficients libjpeg holds
// whole).
std::string ForgedProgressiveJpeg(const fs::path& scratch, int width, int height) {
  SaveBitmap(scratch, TBitmap(16, 16), TImageFileType::Jpeg);
  std::string bytes = ReadWholeFile(scratch);
  const std::size_t sof = bytes.find("\xFF\xC0");
  if (sof == std::string::npos) throw std::runtime_error("no frame header");
  bytes[sof + 1] = static_cast<char>(0xC2);
  bytes[sof + 5] = static_cast<char>(height >> 8);
  bytes[sof + 6] = static_cast<char>(height);
  bytes[sof + 7] = static_cast<char>(width >> 8);
  bytes[sof + 8] = static_cast<char>(width);
  return bytes;
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

// Uncompressed 24-bit BMP and 8-bit RGB PNG rows go straight into a bitmap,
// and must give what the same codecs give as samples: the same pixels read
// (rows padded or not, bottom up or top down, ancillary chunks), the same BMP
// bytes written from a bitmap and from samples, and a damaged file refused
// with a message.
TEST_F(ImageLib, EightBitRowsMatchTheSamples) {
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {5, 7}, {37, 11}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    const TBitmap picture = MakePicture(w, h);
    SaveBitmap(Path("ours.bmp"), picture, TImageFileType::Bmp);
    TDeepPicture deep = DecodeDeepImage(Path("ours.bmp"));
    deep.Traits = {};
    SaveDeepImage(Path("codec.bmp"), deep, TImageFileType::Bmp);
    EXPECT_EQ(ReadWholeFile(Path("ours.bmp")), ReadWholeFile(Path("codec.bmp")));
    SaveBitmap(Path("ours.png"), picture, TImageFileType::Png);
    // Read back as 8-bit rows and as samples of 0..1.
    for (const char* name : {"ours.bmp", "ours.png"}) {
      TBitmap back;
      EXPECT_TRUE(DecodeImageFile(Path(name), back).Is24Bit());
      EXPECT_EQ(back, picture) << name;
      EXPECT_EQ(DecodeDeepImage(Path(name)).Value(0), picture.Pixel(0, 0).R / 255.0) << name;
    }
  }
  // Top-down rows (a negative height), and a PNG with chunks before its data.
  const TBitmap picture = MakePicture(5, 3);
  SaveBitmap(Path("up.bmp"), picture, TImageFileType::Bmp);
  std::string bmp = ReadWholeFile(Path("up.bmp"));
  std::string topDown = bmp.substr(0, 54);
  topDown[22] = static_cast<char>(-3);
  topDown[23] = topDown[24] = topDown[25] = static_cast<char>(0xFF);
  for (int row = 2; row >= 0; --row) topDown += bmp.substr(54 + 16 * static_cast<std::size_t>(row), 16);
  Write("down.bmp", topDown);
  SaveBitmap(Path("plain.png"), picture, TImageFileType::Png);
  std::string png = ReadWholeFile(Path("plain.png"));
  const std::string gama("\0\0\0\x04gAMA\0\0\xB1\x8F\x0B\xFC\x61\x05", 16);
  Write("gamma.png", png.substr(0, 33) + gama + png.substr(33));
  for (const char* name : {"down.bmp", "gamma.png"}) {
    TBitmap back;
    DecodeImageFile(Path(name), back);
    EXPECT_EQ(back, picture) << name;
  }
  // A byte of the image data changed: the check sum no longer fits.
  png[png.find("IDAT") + 10] ^= 0x55;
  Write("damaged.png", png);
  TBitmap back;
  EXPECT_THROW(DecodeImageFile(Path("damaged.png"), back), EImageError);
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
  } cases[] = {{"grey.tif", 1, 8, false}, {"grey-alpha.tif", 2, 8, false},
               {"rgba.tif", 4, 8, false}, {"rgba.tga", 4, 8, false},
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
  // Two thousand empty comments ahead of the frame header: the size is not
  // looked for that far (and the codec is not asked to).
  std::string comments;
  for (int i = 0; i < 2000; ++i) comments += std::string("\xFF\xFE\x00\x02", 4);
  Write("comments.jpg", "\xFF\xD8" + comments + ReadText(Path("whole.jpg")).substr(2));
  EXPECT_EQ(ErrorOf([&] { LoadImageToBitmap(Path("comments.jpg"), bitmap); }),
            "The picture has no frame header among its first 1000 segments.");
  // PNG chunks whose lengths run past the end of the file (both found by
  // fuzzing): a text chunk the codec would take a 1.2 GB buffer for, and an
  // unknown one. A file that ends where a chunk should start still reaches
  // the codec, which says where it ended.
  const struct {
    const char* File;
    std::string Message;
  } damaged[] = {{"text_chunk_past_end.png", "its chunk at byte 33 runs past the end of the file."},
                 {"chunk_past_end.png", "its chunk at byte 1339 runs past the end of the file."},
                 {"ends_after_header.png", "ends early"},
                 // Found by fuzzing: the codec's RLE4 decoder ran past its
                 // buffers on a 32-bit picture and the program crashed.
                 {"rle4_at_32_bits.bmp", "declares run-length coding for 32 bits per pixel"}};
  for (const auto& d : damaged) {
    const std::string message =
        ErrorOf([&] { DecodeImageFile(DataFile(std::string("image/bad/") + d.File), bitmap); });
    EXPECT_NE(message.find(d.Message), std::string::npos) << d.File << ": " << message;
  }
}

TEST_F(ImageLib, ADeclaredSizeBeyondWhatTheFileCanHoldIsRefused) {
  // Within the pixel limits, but each file is far too small for its size.
  // The run-length BMP and the progressive JPEG would have their whole
  // picture allocated by the codec while it opens them.
  Write("forged.bmp", BmpHeader(10000, 10000) + std::string(100, '\0'));
  Write("forged-rle.bmp", BmpHeader(10000, 10000, 8, 256, 1) + std::string("\0\1", 2));
  Write("forged.jpg", ForgedProgressiveJpeg(Path("scratch.jpg"), 10000, 10000));
  for (const char* name : {"forged.bmp", "forged-rle.bmp", "forged.jpg"}) {
    SCOPED_TRACE(name);
    const std::string expected = "\"" + Path(name).string() + "\" is damaged: it declares " +
                                 "10000 x 10000 pixels, more than its " +
                                 std::to_string(fs::file_size(Path(name))) + " bytes can hold.";
    TBitmap bitmap;
    EXPECT_NE(ErrorOf([&] { LoadImageToBitmap(Path(name), bitmap); }).find(expected),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { ReadImageInfo(Path(name)); }).find(expected), std::string::npos);
  }
}

TEST_F(ImageLib, RunLengthPicturesWithAGreyPaletteKeepTheirPixels) {
  // Four rows of 40 pixels: runs of indices 10, 200, then a literal run of
  // 1, 2, 3 and a run of 7. A grey palette once made the codec announce one
  // channel and write three per pixel.
  // Each row ends with the end-of-line pair (0, 0), the last with the
  // end-of-picture pair (0, 1) instead.
  const std::string row("\x14\x0a\x10\xc8\x00\x03\x01\x02\x03\x00\x01\x07", 12);
  const std::string eol("\0\0", 2), end("\0\1", 2);
  Write("grey-rle.bmp",
        BmpHeader(40, 4, 8, 256, 1) + row + eol + row + eol + row + eol + row + end);
  TBitmap bitmap;
  LoadImageToBitmap(Path("grey-rle.bmp"), bitmap);
  ASSERT_EQ(bitmap.Width(), 40);
  ASSERT_EQ(bitmap.Height(), 4);
  const std::uint8_t expected[40] = {10,  10,  10,  10,  10,  10,  10,  10,  10,  10,
                                     10,  10,  10,  10,  10,  10,  10,  10,  10,  10,
                                     200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
                                     200, 200, 200, 200, 200, 200, 1,   2,   3,   7};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(bitmap.Pixel(x, y), (TBitmap::TRGB{expected[x], expected[x], expected[x]}))
          << x << "," << y;
}

TEST_F(ImageLib, OnlyTheCodecOfTheExtensionReadsAFile) {
  const TBitmap picture = MakePicture(8, 8);
  const std::pair<const char*, TImageFileType> types[] = {{"bmp", TImageFileType::Bmp},
                                                          {"jpg", TImageFileType::Jpeg},
                                                          {"tif", TImageFileType::Tiff},
                                                          {"png", TImageFileType::Png}};
  for (const auto& [ext, type] : types) SaveBitmap(Path(std::string("real.") + ext), picture, type);
  // A portable pixmap and 64 KB of zero bytes: types the codecs know of and
  // a file no codec takes; both once went to every reader the codecs have.
  Write("pixmap", "P6\n8 8\n255\n" + std::string(8 * 8 * 3, '\x80'));
  Write("zeros", std::string(1 << 16, '\0'));
  for (const auto& [content, unused] : types)
    for (const auto& [ext, type] : types) {
      if (std::string_view(content) == ext) continue;
      const fs::path file = Path(std::string(content) + "-as." + ext);
      fs::copy_file(Path(std::string("real.") + content), file);
      TBitmap bitmap;
      EXPECT_THROW(DecodeImageFile(file, bitmap), EImageError) << file;
      EXPECT_THROW(ReadImageInfo(file), EImageError) << file;
    }
  for (const char* source : {"pixmap", "zeros"})
    for (const auto& [ext, type] : types) {
      const fs::path file = Path(std::string(source) + "." + ext);
      fs::copy_file(Path(source), file);
      TBitmap bitmap;
      EXPECT_THROW(DecodeImageFile(file, bitmap), EImageError) << file;
    }
}

TEST_F(ImageLib, OnlyRegularFilesOfBoundedSizeAreRead) {
  TBitmap bitmap;
  ASSERT_EQ(::symlink("/dev/zero", Path("zero.bmp").c_str()), 0);
  const std::string device = ErrorOf([&] { LoadImageToBitmap(Path("zero.bmp"), bitmap); });
  EXPECT_NE(device.find("It is a device, not a regular file."), std::string::npos) << device;
  fs::create_directory(Path("folder.tif"));
  EXPECT_THROW(ReadImageInfo(Path("folder.tif")), EFileError);

  // A sparse file: its declared size costs no disk space.
  SaveBitmap(Path("huge.bmp"), MakePicture(4, 4), TImageFileType::Bmp);
  fs::resize_file(Path("huge.bmp"), MaxPictureFileSize + 1);
  EXPECT_EQ(ErrorOf([&] { LoadImageToBitmap(Path("huge.bmp"), bitmap); }),
            "The file \"" + Path("huge.bmp").string() + "\" is too large for a picture (" +
                std::to_string(MaxPictureFileSize + 1) + " bytes; at most " +
                std::to_string(MaxPictureFileSize) + " are read).");
  fs::resize_file(Path("huge.bmp"), MaxPictureFileSize);
  EXPECT_EQ(ReadImageInfo(Path("huge.bmp")).Width, 4);
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
