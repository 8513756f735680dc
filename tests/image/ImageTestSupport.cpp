#include "image/ImageTestSupport.h"

#include <png.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "image/ImageLib.h"

namespace {

// Rows of big-endian (PNG) or native (TIFF) samples at the level.
std::vector<unsigned char> Row(int width, int channels, int bits, double level, bool bigEndian) {
  const auto code = static_cast<unsigned>(std::lround(level * ((1u << bits) - 1)));
  std::vector<unsigned char> row;
  for (int i = 0; i < width * channels; ++i) {
    if (bits == 8) {
      row.push_back(static_cast<unsigned char>(code));
    } else if (bigEndian) {
      row.insert(row.end(), {static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)});
    } else {
      const auto v = static_cast<std::uint16_t>(code);
      row.insert(row.end(), reinterpret_cast<const unsigned char*>(&v),
                 reinterpret_cast<const unsigned char*>(&v) + 2);
    }
  }
  return row;
}

bool WritePng(const std::filesystem::path& file, int width, int height, int channels, int bits,
              double level) {
  static const int types[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                              PNG_COLOR_TYPE_RGB_ALPHA};
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<unsigned char> row = Row(width, channels, bits, level, true);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bits,
               types[channels - 1], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool WriteTiff(const std::filesystem::path& file, int width, int height, int channels, int bits,
               double level) {
  TIFF* tif = TIFFOpen(file.c_str(), "w");
  if (!tif) return false;
  const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(channels));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bits));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (channels == 2 || channels == 4) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  std::vector<unsigned char> row = Row(width, channels, bits, level, false);
  bool ok = true;
  for (int y = 0; y < height && ok; ++y)
    ok = TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) >= 0;
  TIFFClose(tif);
  return ok;
}

}  // namespace

void WriteRawPicture(const std::filesystem::path& file, int width, int height, int channels,
                     int bits, double level) {
  const auto type = ImageFileTypeOf(file);
  bool ok = false;
  if (type == TImageFileType::Png) {
    ok = WritePng(file, width, height, channels, bits, level);
  } else if (type == TImageFileType::Tiff) {
    ok = WriteTiff(file, width, height, channels, bits, level);
  } else if (type && channels >= 3) {
    TDeepPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Channels = channels;
    picture.BitsPerSample = bits;
    picture.Samples.assign(static_cast<std::size_t>(width) * height * channels, static_cast<float>(level));
    SaveDeepImage(file, picture, *type);
    ok = true;
  }
  if (!ok) throw std::runtime_error("cannot write test picture " + file.string());
}
