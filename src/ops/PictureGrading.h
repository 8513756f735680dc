// `apply`: a picture file graded with a LUT file and saved as another picture,
// through the same lookup as the preview.
#pragma once

#include <filesystem>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "image/ImageLib.h"

// Read the LUT (format detected from its content) and the picture, grade the
// picture and save it as the given type, a strip of rows at a time. 8-bit
// pictures are graded at 8 bits per channel exactly as the preview does;
// deeper ones at their own depth (16-bit at 16 bits, 10- and 12-bit at
// theirs, half and float in float), and saved as deep as the type holds.
// Alpha, orientation and compression are kept where the type holds them. An
// existing
// output is replaced only when the confirmation answers Yes; false when it
// was left alone. A failure of a file is an EInFileError naming it; what
// the confirmation raises passes as it is.
bool GradePictureFile(const TLutRegistry& registry, const std::filesystem::path& lutFile,
                      const std::filesystem::path& picture, const std::filesystem::path& output,
                      TImageFileType outputType, IConfirm& confirm,
                      const TReadOptions& readOptions = {});
