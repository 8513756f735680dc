// The two plain layouts that grading a frame meets most, read and written
// without the codec module: uncompressed 24-bit BMP and 8-bit RGB PNG
// (through libpng). Loading the module and its few hundred libraries costs a
// process more than grading a UHD frame does; every other picture, and every
// other layout of these two types, still goes to the module.
//
// Plain pictures come out as the module gives them, byte for byte: the same
// pixels read, the same files written.
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

// The same picture with samples of 0..1, as the module's deep decoding gives
// an 8-bit picture.
TDecodeResult DecodePlainDeepPicture(const TImageSource& source, const TImageLimits& limits,
                                     TDeepPicture& picture, TImageInfo& info, std::string& error);

// BMP and PNG are encoded here; false for the other types (the module's).
bool EncodesPlainly(TImageFileType type);
bool EncodePlainPicture(const TBitmap& bitmap, TImageFileType type,
                        std::vector<unsigned char>& encoded, std::string& error);
