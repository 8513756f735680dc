#include "image/PlainPictures.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The whole file, read with as few calls as the system allows and without
// moving the descriptor's offset.
bool ReadWhole(int fd, std::vector<unsigned char>& bytes, std::string& error) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || status.st_size < 0) {
    error = "Cannot read the picture.";
    return false;
  }
  bytes.resize(static_cast<std::size_t>(status.st_size));
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t got = ::pread(fd, bytes.data() + at, bytes.size() - at, static_cast<off_t>(at));
    if (got <= 0) {
      error = "Cannot read the picture.";
      return false;
    }
    at += static_cast<std::size_t>(got);
  }
  return true;
}

std::int32_t LittleEndian32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                   static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLittleEndian32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::size_t BmpRowBytes(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
}

// Rows of B, G, R padded to four bytes, bottom up unless the height is
// negative; the header walk has checked that they are all in the file.
void DecodeBmp(const std::vector<unsigned char>& file, TBitmap& bitmap) {
  const std::int32_t offset = LittleEndian32(file.data() + 10);
  const bool topDown = LittleEndian32(file.data() + 22) < 0;
  const std::size_t rowBytes = BmpRowBytes(bitmap.Width());
  for (int y = 0; y < bitmap.Height(); ++y) {
    const int fileRow = topDown ? y : bitmap.Height() - 1 - y;
    std::memcpy(bitmap.Row(y), file.data() + offset + rowBytes * static_cast<std::size_t>(fileRow),
                bitmap.Pitch());
  }
}

// The header as the BMP codec writes it: 40-byte information header,
// rows bottom up, no resolution, and an image size field of width x height.
void EncodeBmp(const TBitmap& bitmap, std::vector<unsigned char>& encoded) {
  const std::size_t rowBytes = BmpRowBytes(bitmap.Width());
  const std::size_t dataBytes = rowBytes * static_cast<std::size_t>(bitmap.Height());
  encoded.assign(54 + dataBytes, 0);
  unsigned char* h = encoded.data();
  h[0] = 'B';
  h[1] = 'M';
  PutLittleEndian32(h + 2, static_cast<std::uint32_t>(encoded.size()));
  PutLittleEndian32(h + 10, 54);
  PutLittleEndian32(h + 14, 40);
  PutLittleEndian32(h + 18, static_cast<std::uint32_t>(bitmap.Width()));
  PutLittleEndian32(h + 22, static_cast<std::uint32_t>(bitmap.Height()));
  h[26] = 1;
  h[28] = 24;
  PutLittleEndian32(h + 34, static_cast<std::uint32_t>(bitmap.Width()) *
                                static_cast<std::uint32_t>(bitmap.Height()));
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(h + 54 + rowBytes * static_cast<std::size_t>(bitmap.Height() - 1 - y),
                bitmap.Row(y), bitmap.Pitch());
}

// libpng reports errors by jumping back to the call that set its jump buffer;
// the message is kept for the caller.
struct TPngState {
  const std::vector<unsigned char>* In = nullptr;
  std::size_t At = 0;
  char Message[200] = {};
};

void PngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<TPngState*>(png_get_error_ptr(png));
  std::snprintf(state->Message, sizeof state->Message, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep to, png_size_t n) {
  auto* state = static_cast<TPngState*>(png_get_io_ptr(png));
  if (n > state->In->size() - state->At) png_error(png, "Read error: hit end of file");
  std::memcpy(to, state->In->data() + state->At, n);
  state->At += n;
}


// Rows straight into the bitmap, R and B exchanged by libpng. No C++ object
// is made or changed between the jump buffer and a jump back to it.
bool DecodePng(TPngState& state, TBitmap& bitmap) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &state, PngRead);
  png_read_info(png, info);
  png_set_bgr(png);
  png_read_update_info(png, info);
  for (int y = 0; y < bitmap.Height(); ++y) png_read_row(png, bitmap.Row(y), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

TImageInfo PlainPictureInfo(int width, int height) {
  TImageInfo info;
  info.Width = width;
  info.Height = height;
  info.Channels = 3;
  info.BitsPerSample = 8;
  return info;
}

TDecodeResult DecodePlainPicture(const TImageSource& source, const TImageLimits& limits,
                                 TBitmap& bitmap, TImageInfo& info, std::string& error) {
  if (!limits.Allow(info.Width, info.Height)) return TDecodeResult::TooLarge;
  std::vector<unsigned char> file;
  if (!ReadWhole(source.Fd, file, error)) return TDecodeResult::Failed;
  TBitmap decoded(info.Width, info.Height);
  if (source.Type == TImageFileType::Bmp) {
    DecodeBmp(file, decoded);
  } else {
    TPngState state;
    state.In = &file;
    if (!DecodePng(state, decoded)) {
      error = state.Message[0] ? state.Message : "Cannot decode the picture.";
      return TDecodeResult::Failed;
    }
  }
  bitmap = std::move(decoded);
  return TDecodeResult::Ok;
}

TDecodeResult DecodePlainDeepPicture(const TImageSource& source, const TImageLimits& limits,
                                     TDeepPicture& picture, TImageInfo& info, std::string& error) {
  TBitmap bitmap;
  const TDecodeResult result = DecodePlainPicture(source, limits, bitmap, info, error);
  if (result != TDecodeResult::Ok) return result;
  TDeepPicture out;
  out.Width = info.Width;
  out.Height = info.Height;
  out.Samples.resize(bitmap.Pitch() * static_cast<std::size_t>(info.Height));
  const std::uint8_t* p = bitmap.Bits();
  for (std::size_t i = 0; i < out.Samples.size(); i += 3, p += 3) {
    out.Samples[i] = static_cast<float>(p[2]) / 255.0f;
    out.Samples[i + 1] = static_cast<float>(p[1]) / 255.0f;
    out.Samples[i + 2] = static_cast<float>(p[0]) / 255.0f;
  }
  picture = std::move(out);
  return TDecodeResult::Ok;
}

bool EncodesPlainly(TImageFileType type) { return type == TImageFileType::Bmp; }

bool EncodePlainPicture(const TBitmap& bitmap, TImageFileType, std::vector<unsigned char>& encoded,
                        std::string&) {
  EncodeBmp(bitmap, encoded);
  return true;
}
