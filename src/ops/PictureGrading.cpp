#include "ops/PictureGrading.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "image/Preview.h"
#include "ops/BitsOverride.h"

namespace {

// The picture graded in one run of pixels per core: every pixel is graded on
// its own, so the runs give exactly what one run over the whole gives.
void GradeOnEveryCore(const TLUT& lut, TBitmap& bitmap) {
  const std::size_t pixels = static_cast<std::size_t>(bitmap.Width()) * bitmap.Height();
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t run = (pixels + cores - 1) / cores;
  std::vector<std::jthread> workers;
  for (std::size_t first = run; first < pixels; first += run)
    workers.emplace_back([&lut, &bitmap, first, count = std::min(run, pixels - first)] {
      lut.ApplyToBGR8(bitmap.Bits() + first * 3, count);
    });
  lut.ApplyToBGR8(bitmap.Bits(), std::min(run, pixels));
}

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
    GradeOnEveryCore(lut, bitmap);
    SaveBitmap(output, bitmap, outputType);
  });
  return true;
}
