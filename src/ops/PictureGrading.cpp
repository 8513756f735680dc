#include "ops/PictureGrading.h"

#include "image/Preview.h"
#include "ops/BitsOverride.h"

namespace {

// Runs one step, naming its file in any error it raises.
template <typename Step>
void OnFile(const std::filesystem::path& file, Step step) {
  try {
    step();
  } catch (const EInFileError&) {
    throw;
  } catch (const std::exception& e) {
    throw EInFileError(file.string(), e.what(), ErrorLine(e));
  }
}

}  // namespace

bool GradePictureFile(const TLutRegistry& registry, const std::filesystem::path& lutFile,
                      const std::filesystem::path& picture, const std::filesystem::path& output,
                      TImageFileType outputType, IConfirm& confirm,
                      const TReadOptions& readOptions) {
  TLUT lut;
  OnFile(lutFile, [&] { LoadLutFile(registry, lutFile, lut, readOptions); });
  TBitmap bitmap;
  OnFile(picture, [&] {
    // A PNG is decoded as it is; the other types go through the reader that
    // also serves the Hald images, as the preview reads them.
    if (ImageFileTypeOf(picture) == TImageFileType::Png) {
      DecodeImageFile(picture, bitmap);
    } else {
      LoadImageToBitmap(picture, bitmap);
    }
  });
  if (ConfirmWrite(confirm, output, false) != TConfirmAnswer::Yes) return false;
  OnFile(output, [&] {
    ApplyToBitmap(lut, bitmap);
    SaveBitmap(output, bitmap, outputType);
  });
  return true;
}
