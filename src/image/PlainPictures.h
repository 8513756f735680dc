// The two plain layouts that grading a frame meets most, read straight into
// a 24-bit bitmap without the codecs' rows of floats: uncompressed 24-bit BMP
// and 8-bit RGB PNG (through libpng); plain BMP is also written here. Every
// other picture, and every other layout of these two types, goes to its
// codec (image/codecs), which gives the same pixels and the same BMP bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageCodecs.h"

// The header walk found a plain layout (PictureHeader.h); info is filled.
TImageInfo PlainPictureInfo(int width, int height);

// The whole picture into a 24-bit bitmap; the file was found plain.
TDecodeResult DecodePlainPicture(const TImageSource& source, const TImageLimits& limits,
                                 TBitmap& bitmap, TImageInfo& info, std::string& error);

// The same picture with samples of 0..1, as the codecs give an 8-bit picture.
TDecodeResult DecodePlainDeepPicture(const TImageSource& source, const TImageLimits& limits,
                                     TDeepPicture& picture, TImageInfo& info, std::string& error);

// BMP is encoded here; false for the other types (their codecs').
bool EncodesPlainly(TImageFileType type);
bool EncodePlainPicture(const TBitmap& bitmap, TImageFileType type,
                        std::vector<unsigned char>& encoded, std::string& error);
