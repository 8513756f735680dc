// Quirks, and why:
// - The picture is streamed: read, graded and written a strip of rows at a
//   time, so memory follows the width and not the height. A file whose data
//   runs out fails at that row; the output, written under a temporary name,
//   is then never put in place.
// - Every pixel is graded on its own, so a strip split over the cores gives
//   exactly what one pass over the whole picture gives.
// - 8-bit pictures go through the preview's 8-bit lookup; alpha, where the
//   file has it, passes through untouched.
#include "ops/PictureGrading.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "core/InputGuard.h"
#include "core/StringLib.h"
#include "image/Preview.h"
#include "ops/BitsOverride.h"

namespace {

// fn(first, count) over 0..count split into one run per core.
template <typename Fn>
void OnEveryCore(std::size_t count, Fn fn) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t run = (count + cores - 1) / cores;
  std::vector<std::jthread> workers;
  for (std::size_t first = run; first < count; first += run)
    workers.emplace_back([&fn, first, n = std::min(run, count - first)] { fn(first, n); });
  fn(0, std::min(run, count));
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

// Pixels of 8-bit samples through the 8-bit lookup: as B, G, R bytes, then
// back to samples; alpha (channel 3 of 4) stays.
void GradeEightBit(const TLUT& lut, float* samples, std::size_t first, std::size_t count,
                   int channels) {
  std::vector<std::uint8_t> bgr(count * 3);
  float* p = samples + first * static_cast<std::size_t>(channels);
  for (std::size_t i = 0; i < count; ++i) {
    const float* s = p + i * static_cast<std::size_t>(channels);
    for (int c = 0; c < 3; ++c)
      bgr[3 * i + 2 - c] = static_cast<std::uint8_t>(std::clamp(std::nearbyint(s[c] * 255.0f), 0.0f, 255.0f));
  }
  lut.ApplyToBGR8(bgr.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    float* s = p + i * static_cast<std::size_t>(channels);
    for (int c = 0; c < 3; ++c) s[c] = static_cast<float>(bgr[3 * i + 2 - c]) / 255.0f;
  }
}

// 16-bit pictures at 16 bits and float pictures in float, alpha untouched.
void GradeDeep(const TLUT& lut, const TDeepPicture& layout, float* samples, std::size_t first,
               std::size_t count) {
  const double maxCode = MaxCode(layout.BitsPerSample);
  const bool codes = !layout.Float && layout.BitsPerSample <= 16;
  auto value = [&](float s) {
    return codes ? std::nearbyint(static_cast<double>(s) * maxCode) / maxCode : static_cast<double>(s);
  };
  auto store = [&](double v) {
    return static_cast<float>(codes ? static_cast<double>(CodeValue(layout.BitsPerSample, v)) / maxCode : v);
  };
  const auto channels = static_cast<std::size_t>(layout.Channels);
  // In runs, so that a LUT that is a formula takes many pixels a call.
  std::vector<TLutRGB> run(std::min<std::size_t>(count, 4096));
  for (std::size_t start = first; start < first + count; start += run.size()) {
    const std::size_t n = std::min(run.size(), first + count - start);
    float* s = samples + start * channels;
    for (std::size_t k = 0; k < n; ++k, s += channels) run[k] = {value(s[0]), value(s[1]), value(s[2])};
    lut.ApplyToColors(run.data(), n);
    s = samples + start * channels;
    for (std::size_t k = 0; k < n; ++k, s += channels) {
      s[0] = store(run[k].R);
      s[1] = store(run[k].G);
      s[2] = store(run[k].B);
    }
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
  std::unique_ptr<TPictureRows> rows;
  OnFile(picture, [&] { rows = std::make_unique<TPictureRows>(picture); });
  const TDeepPicture& layout = rows->Layout();
  const bool deep = layout.Float || layout.BitsPerSample > 8;
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  std::unique_ptr<TPictureRowWriter> writer;
  OnFile(output, [&] { writer = std::make_unique<TPictureRowWriter>(output, layout, outputType); });
  const int strip = StripRows(layout.Width, layout.Channels);
  std::vector<float> samples(layout.Index(0, std::min(strip, layout.Height)));
  for (int y = 0; y < layout.Height; y += strip) {
    const int n = std::min(strip, layout.Height - y);
    OnFile(picture, [&] { rows->Read(samples.data(), n); });
    OnEveryCore(static_cast<std::size_t>(layout.Width) * static_cast<std::size_t>(n),
                [&](std::size_t first, std::size_t count) {
                  if (deep) {
                    GradeDeep(lut, layout, samples.data(), first, count);
                  } else {
                    GradeEightBit(lut, samples.data(), first, count, layout.Channels);
                  }
                });
    OnFile(output, [&] { writer->Write(samples.data(), n); });
  }
  OnFile(output, [&] { writer->Commit(replace); });
  return true;
}
