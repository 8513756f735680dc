// A look at a picture file's header before any codec opens it. Some codecs
// allocate on opening what the header declares, before anyone can ask them
// for the picture's size: the BMP reader expands a run-length picture whole,
// libjpeg sets up a progressive picture's coefficient store, and libpng
// takes a buffer for a text chunk of the length written before it. Those
// declarations are checked here, against the limits and the file's size.
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageLib.h"

struct TPictureHeader {
  // The picture's size, where the codec would allocate for it on opening.
  bool SizeKnown = false;
  int Width = 0;
  int Height = 0;
  // Why the file is refused before any codec sees it; empty when it is not.
  std::string Refusal;
};

// The header of an open regular file of `size` bytes, read as `type`. A file
// that is not of that type gives an empty result (its codec says so).
TPictureHeader ReadPictureHeader(int fd, std::uint64_t size, TImageFileType type);
