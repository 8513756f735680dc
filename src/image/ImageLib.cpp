// The library's side of the codec layer: the extension rules, the size
// limits, crash-safe writing, and finding the codec module (ImageCodecs.h)
// the first time a picture is touched.
#include "image/ImageLib.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "core/StringLib.h"
#include "image/ImageCodecs.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* ModuleName = "libtovi_codecs.so";

// Beside the program, where it is installed, or where it was built.
std::vector<fs::path> ModuleCandidates() {
  std::vector<fs::path> candidates;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    candidates.push_back(exe.parent_path() / ModuleName);
    candidates.push_back(exe.parent_path().parent_path() / "lib" / "tovilut" / ModuleName);
  }
  candidates.emplace_back(TOVI_CODECS_INSTALL_PATH);
  candidates.emplace_back(TOVI_CODECS_BUILD_PATH);
  return candidates;
}

const IImageCodecs& Codecs() {
  static const IImageCodecs* codecs = nullptr;
  static std::string failure;
  static std::once_flag once;
  std::call_once(once, [] {
    for (const fs::path& candidate : ModuleCandidates()) {
      std::error_code ec;
      if (!fs::exists(candidate, ec)) continue;
      void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!module) {
        failure = ::dlerror();
        continue;
      }
      if (auto entry = reinterpret_cast<TImageCodecsEntry>(::dlsym(module, TOVI_IMAGE_CODECS_ENTRY))) {
        codecs = entry();
        return;
      }
      failure = candidate.string() + " is not the image codec module";
    }
    if (failure.empty()) failure = std::string(ModuleName) + " was not found";
  });
  if (!codecs) throw EImageError("The image codecs cannot be loaded: " + failure + ".");
  return *codecs;
}

void CheckOpenable(const fs::path& fileName) {
  // Our own open first, so that a missing or unreadable file gives the same
  // error as for every other input.
  (void)ReadFilePrefix(fileName, 1);
}

[[noreturn]] void RaiseTooLarge(const fs::path& fileName, const TImageInfo& info) {
  throw EImageError("The picture \"" + fileName.string() + "\" is too large to load (" +
                    std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                    " pixels; at most " + std::to_string(MaxImageSide) + " pixels per side and " +
                    std::to_string(MaxImagePixels / 1'000'000) + " million pixels).");
}

}  // namespace

std::string FileExtension(const fs::path& fileName) {
  const std::string name = fileName.filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::optional<TImageFileType> ImageFileTypeOf(const fs::path& fileName) {
  static const std::pair<const char*, TImageFileType> extensions[] = {
      {".BMP", TImageFileType::Bmp},   {".JPG", TImageFileType::Jpeg},
      {".JPEG", TImageFileType::Jpeg}, {".TIF", TImageFileType::Tiff},
      {".TIFF", TImageFileType::Tiff}, {".PNG", TImageFileType::Png}};
  const std::string ext = UpperCase(FileExtension(fileName));
  for (const auto& [name, type] : extensions)
    if (ext == name) return type;
  return std::nullopt;
}

TImageInfo LoadImageToBitmap(const fs::path& fileName, TBitmap& bitmap) {
  const auto type = ImageFileTypeOf(fileName);
  if (!type || *type == TImageFileType::Png) {
    std::string ext = FileExtension(fileName);
    if (!ext.empty()) ext.erase(0, 1);
    throw EImageError("Unknown picture file extension (." + ext + ")");
  }
  return DecodeImageFile(fileName, bitmap);
}

TImageInfo ReadImageInfo(const fs::path& fileName) {
  CheckOpenable(fileName);
  TImageInfo info;
  std::string error;
  if (!Codecs().ReadInfo(fileName.string(), info, error)) throw EImageError(error);
  return info;
}

TImageInfo DecodeImageFile(const fs::path& fileName, TBitmap& bitmap) {
  CheckOpenable(fileName);
  TImageInfo info;
  std::string error;
  switch (Codecs().Decode(fileName.string(), MaxImageSide, MaxImagePixels, bitmap, info, error)) {
    case TDecodeResult::Ok: return info;
    case TDecodeResult::TooLarge: RaiseTooLarge(fileName, info);
    case TDecodeResult::Failed: break;
  }
  throw EImageError(error);
}

void SaveBitmap(const fs::path& fileName, const TBitmap& bitmap, TImageFileType type) {
  if (bitmap.Empty()) throw EImageError("Cannot save an empty picture.");
  std::vector<unsigned char> encoded;
  std::string error;
  if (!Codecs().Encode(bitmap, type, fileName.string(), encoded, error)) throw EImageError(error);
  WriteFileAtomic(fileName, std::string_view(reinterpret_cast<const char*>(encoded.data()),
                                             encoded.size()));
}

TDeepPicture DecodeDeepImage(const fs::path& fileName) {
  CheckOpenable(fileName);
  TDeepPicture picture;
  TImageInfo info;
  std::string error;
  switch (Codecs().DecodeDeep(fileName.string(), MaxImageSide, MaxImagePixels, picture, info,
                              error)) {
    case TDecodeResult::Ok: return picture;
    case TDecodeResult::TooLarge: RaiseTooLarge(fileName, info);
    case TDecodeResult::Failed: break;
  }
  throw EImageError(error);
}

void SaveDeepImage(const fs::path& fileName, const TDeepPicture& picture, TImageFileType type) {
  if (picture.Width <= 0 || picture.Height <= 0) throw EImageError("Cannot save an empty picture.");
  std::vector<unsigned char> encoded;
  std::string error;
  if (!Codecs().EncodeDeep(picture, type, fileName.string(), encoded, error))
    throw EImageError(error);
  WriteFileAtomic(fileName, std::string_view(reinterpret_cast<const char*>(encoded.data()),
                                             encoded.size()));
}
