// The fuzz target of picture reading as the preview, `apply` and Hald
// detection do it: the fuzzer's bytes become a file under each picture
// extension, whose type alone picks the codec; the header is read, then the
// whole picture is decoded into a bitmap. Bytes of one type under another's
// extension, headers that claim more pixels than the file holds, run-length
// BMPs and progressive JPEGs (measured before the codec opens them) all come
// this way. Under an extension that names no picture type, nothing may reach
// a codec.
//
// A refusal (EImageError, a file error) is the expected answer to hostile
// input; any other exception escapes and ends the run as a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzScratch.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "image/Bitmap.h"
#include "image/ImageLib.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t MaxDecodedPixels = 4'000'000;

fs::path& Dir() { return FuzzScratchDir(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  MakeFuzzScratch("picture");  // every input is written and read back
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* ext : {"bmp", "jpg", "tif", "png", "tga"}) {
    const fs::path input = Dir() / (std::string("input.") + ext);
    WriteFileAtomic(input, bytes);
    try {
      const TImageInfo header = ReadImageInfo(input);
      // A few hundred KB may rightly hold the 100 million pixels allowed;
      // decoding those takes the codec longer than the time limit and says
      // nothing new about our side, so large ones are only read for the header.
      if (static_cast<std::int64_t>(header.Width) * header.Height > MaxDecodedPixels) continue;
      TBitmap bitmap;
      const TImageInfo info = DecodeImageFile(input, bitmap);
      if (info.Width != header.Width || info.Height != header.Height ||
          bitmap.Width() != info.Width || bitmap.Height() != info.Height)
        std::abort();  // the header and the decoded picture disagree
    } catch (const EImageError&) {
    } catch (const EFileError&) {
    }
  }
  const fs::path unknown = Dir() / "input.pnm";
  WriteFileAtomic(unknown, bytes);
  try {
    TBitmap bitmap;
    DecodeImageFile(unknown, bitmap);
    std::abort();  // no codec is named by the extension
  } catch (const EImageError&) {
  }
  return 0;
}
