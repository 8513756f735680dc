// The fuzz target of picture reading as the preview, `apply` and Hald
// detection do it: the fuzzer's bytes become a file under each picture
// extension (FuzzPictureFile.h); the header is read, then the whole picture
// is decoded into a bitmap. Bytes of one type under another's extension,
// headers that claim more pixels than the file holds, run-length BMPs and
// progressive JPEGs (measured before the codec opens them) all come this
// way. Under an extension that names no picture type, nothing may reach a
// codec.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "FuzzPictureFile.h"
#include "image/Bitmap.h"

namespace {

// A few hundred KB may rightly hold the 100 million pixels allowed;
// decoding those takes the codec longer than the time limit and says
// nothing new about our side, so large ones are only read for the header.
constexpr std::int64_t MaxDecodedPixels = 4'000'000;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  MakeFuzzScratch("picture");  // every input is written and read back
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReadAsEachType(bytes, {"bmp", "jpg", "tif", "png", "tga"}, [](const std::filesystem::path& input, const char*) {
    const TImageInfo header = ReadImageInfo(input);
    if (static_cast<std::int64_t>(header.Width) * header.Height > MaxDecodedPixels) return;
    TBitmap bitmap;
    const TImageInfo info = DecodeImageFile(input, bitmap);
    if (info.Width != header.Width || info.Height != header.Height || bitmap.Width() != info.Width ||
        bitmap.Height() != info.Height)
      std::abort();  // the header and the decoded picture disagree
  });
  const std::filesystem::path unknown = FuzzScratchDir() / "input.pnm";
  WriteFileAtomic(unknown, bytes);
  try {
    TBitmap bitmap;
    DecodeImageFile(unknown, bitmap);
    std::abort();  // no codec is named by the extension
  } catch (const EImageError&) {
  }
  return 0;
}
