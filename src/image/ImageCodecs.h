// What the library hands the plain-layout reader (PlainPictures.h): an open
// file, its type, and the size limits it may allocate for.
#pragma once

#include <cstdint>
#include <string>

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
