// The boundary between the library and its codec module. The codec library
// brings a few hundred shared libraries with it; loading them costs every
// process a noticeable fraction of a second and a hundred megabytes, so the
// module that uses it is loaded only when a picture is first read or written.
// Nothing crosses the boundary but plain values and error texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/Bitmap.h"
#include "image/ImageLib.h"

enum class TDecodeResult { Ok, Failed, TooLarge };

// A picture to read: an open regular file, decoded only by the codec of its
// type (the library has checked the file and chosen the type by extension).
struct TImageSource {
  int Fd = -1;           // read from, never closed or moved
  std::string FileName;  // for the codec's messages
  TImageFileType Type = TImageFileType::Bmp;
};

// A declared size beyond these is refused before pixels are allocated.
struct TImageLimits {
  int MaxSide = 0;
  std::int64_t MaxPixels = 0;
  bool Allow(int width, int height) const {
    return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide &&
           static_cast<std::int64_t>(width) * height <= MaxPixels;
  }
};

class IImageCodecs {
 public:
  // The header alone; TooLarge (with info filled) beyond the limits.
  virtual TDecodeResult ReadInfo(const TImageSource& source, const TImageLimits& limits,
                                 TImageInfo& info, std::string& error) const = 0;
  // Whole picture into a 24-bit bitmap; TooLarge (with info filled) before any
  // pixel is decoded when the header exceeds the limits.
  virtual TDecodeResult Decode(const TImageSource& source, const TImageLimits& limits,
                               TBitmap& bitmap, TImageInfo& info, std::string& error) const = 0;
  // The encoded file's bytes.
  virtual bool Encode(const TBitmap& bitmap, TImageFileType type, const std::string& fileName,
                      std::vector<unsigned char>& encoded, std::string& error) const = 0;

 protected:
  ~IImageCodecs() = default;
};

// The module's one exported symbol.
#define TOVI_IMAGE_CODECS_ENTRY "ToviImageCodecs"
using TImageCodecsEntry = const IImageCodecs* (*)();
