#include "ops/PictureGrading.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "core/InputGuard.h"
#include "core/StringLib.h"
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

// More than 8 bits per sample. A file of another extension that the codecs
// cannot take keeps the 8-bit path's answer (the unknown-extension message).
bool IsDeepPicture(const std::filesystem::path& picture) {
  if (ImageFileTypeOf(picture)) return ReadImageInfo(picture).BitsPerSample > 8;
  try {
    return ReadImageInfo(picture).BitsPerSample > 8;
  } catch (const std::exception&) {
    return false;
  }
}

// 16-bit pictures at 16 bits and float pictures in float, alpha untouched.
void GradeDeepPicture(const TLUT& lut, TDeepPicture& picture) {
  const double maxCode = MaxCode(picture.BitsPerSample);
  const bool codes = !picture.Float && picture.BitsPerSample <= 16;
  auto store = [&](double v) {
    return static_cast<float>(codes ? static_cast<double>(CodeValue(picture.BitsPerSample, v)) / maxCode
                                    : v);
  };
  const std::size_t pixels = static_cast<std::size_t>(picture.Width) * picture.Height;
  for (std::size_t p = 0, i = 0; p < pixels; ++p, i += static_cast<std::size_t>(picture.Channels)) {
    const TLutRGB y = lut.ApplyToColor({picture.Value(i), picture.Value(i + 1), picture.Value(i + 2)});
    picture.Samples[i] = store(y.R);
    picture.Samples[i + 1] = store(y.G);
    picture.Samples[i + 2] = store(y.B);
  }
}

}  // namespace

bool GradePictureFile(const TLutRegistry& registry, const std::filesystem::path& lutFile,
                      const std::filesystem::path& picture, const std::filesystem::path& output,
                      TImageFileType outputType, IConfirm& confirm,
                      const TReadOptions& readOptions) {
  RefuseWritingOverInputs({output}, {lutFile, picture});
  TLUT lut;
  OnFile(lutFile, [&] { LoadLutFile(registry, lutFile, lut, readOptions); });
  bool deep = false;
  OnFile(picture, [&] { deep = IsDeepPicture(picture); });
  if (deep) {
    TDeepPicture deep;
    OnFile(picture, [&] { deep = DecodeDeepImage(picture); });
    TReplace replace = TReplace::Never;
    if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
    OnFile(output, [&] {
      GradeDeepPicture(lut, deep);
      SaveDeepImage(output, deep, outputType, replace);
    });
    return true;
  }
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
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  OnFile(output, [&] {
    GradeOnEveryCore(lut, bitmap);
    SaveBitmap(output, bitmap, outputType, replace);
  });
  return true;
}
