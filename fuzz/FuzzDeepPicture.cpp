// The fuzz target of the deep picture path `apply` takes: the fuzzer's bytes
// become a file under each extension whose pictures are graded at their own
// depth (OpenEXR, DPX, TIFF, PNG, TGA; FuzzPictureFile.h), which is read as
// `apply` reads it, a strip of rows at a time, and written back as the same
// type, keeping the depth and traits read. Attribute sizes, offsets and row
// counts that the file cannot hold, and data that runs out, all come this
// way.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzPictureFile.h"

namespace {

// Larger pictures are only opened: decoding them says nothing new about our
// side and takes longer than the time limit.
constexpr std::int64_t MaxDecodedPixels = 1'000'000;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  MakeFuzzScratch("deeppicture");  // every input is written and read back
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReadAsEachType(bytes, {"exr", "dpx", "tif", "png", "tga"}, [](const std::filesystem::path& input, const char* ext) {
    TPictureRows rows(input);
    const TDeepPicture& layout = rows.Layout();
    if (static_cast<std::int64_t>(layout.Width) * layout.Height > MaxDecodedPixels) return;
    if (layout.Channels != 3 && layout.Channels != 4) std::abort();
    const std::filesystem::path output = FuzzScratchDir() / (std::string("output.") + ext);
    TPictureRowWriter writer(output, layout, *ImageFileTypeOf(output));
    const int strip = std::max(1, StripRows(layout.Width, layout.Channels) / 7);
    std::vector<float> samples(layout.Index(0, std::min(strip, layout.Height)));
    for (int y = 0; y < layout.Height; y += strip) {
      const int n = std::min(strip, layout.Height - y);
      rows.Read(samples.data(), n);
      writer.Write(samples.data(), n);
    }
    writer.Commit();
    // What was written reads back at the size it was written.
    const TDeepPicture back = DecodeDeepImage(output);
    if (back.Width != layout.Width || back.Height != layout.Height) std::abort();
  });
  return 0;
}
