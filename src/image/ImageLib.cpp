// The library's side of the codec layer: the extension rules, the size
// limits, crash-safe writing, and finding the codec module (ImageCodecs.h)
// the first time a picture is touched.
#include "image/ImageLib.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "core/ModuleSearch.h"
#include "core/StringLib.h"
#include "image/ImageCodecs.h"
#include "image/PictureHeader.h"
#include "image/PlainPictures.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* ModuleName = "libtovi_codecs.so";

const IImageCodecs& Codecs() {
  static const IImageCodecs* codecs = nullptr;
  static std::string failure;
  static std::once_flag once;
  std::call_once(once, [] {
    for (const fs::path& candidate : ModuleCandidates(ModuleName, TOVI_CODECS_INSTALL_PATH, TOVI_CODECS_BUILD_PATH)) {
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

// How many pixels one byte of each type of file can carry at most. A header
// that declares more than its file can hold is damaged or forged, and is
// refused before anything is allocated for it.
std::int64_t MaxPixelsPerByte(TImageFileType type) {
  switch (type) {
    case TImageFileType::Bmp: return 128;  // run-length: 255 pixels in 2 bytes
    case TImageFileType::Jpeg: return 512;  // a bit at least for each 8 x 8 block
    case TImageFileType::Tiff:  // LZW and deflate shrink at most about 1000:1,
    case TImageFileType::Png:   // here on one bit per pixel
    case TImageFileType::Exr: return 8256;
    case TImageFileType::Dpx: return 1;  // uncompressed, at least a byte per pixel
  }
  return 0;
}

[[noreturn]] void RaiseUnknownExtension(const fs::path& fileName) {
  std::string ext = FileExtension(fileName);
  if (!ext.empty()) ext.erase(0, 1);
  throw EImageError("Unknown picture file extension (." + ext + ")");
}

[[noreturn]] void RaiseTooLarge(const fs::path& fileName, const TImageInfo& info,
                                std::uint64_t fileSize) {
  const std::string size = std::to_string(info.Width) + " x " + std::to_string(info.Height);
  if (TImageLimits{MaxImageSide, MaxImagePixels}.Allow(info.Width, info.Height))
    throw EImageError("The picture \"" + fileName.string() + "\" is damaged: it declares " + size +
                      " pixels, more than its " + std::to_string(fileSize) + " bytes can hold.");
  throw EImageError("The picture \"" + fileName.string() + "\" is too large to load (" + size +
                    " pixels; at most " + std::to_string(MaxImageSide) + " pixels per side and " +
                    std::to_string(MaxImagePixels / 1'000'000) + " million pixels).");
}

// Opens the picture for its codec and runs one codec call on it: only a
// regular file of a known type and of at most MaxPictureFileSize bytes, and
// never more pixels than the file can hold. The call is told whether the
// file is of a plain layout, which needs no codec module.
template <typename CodecCall>
TImageInfo ReadPicture(const fs::path& fileName, CodecCall call) {
  const auto type = ImageFileTypeOf(fileName);
  if (!type) RaiseUnknownExtension(fileName);
  std::uint64_t size = 0;
  const TFileDescriptor fd = OpenFileForReading(fileName, &size);
  if (size > MaxPictureFileSize)
    throw EImageError("The file \"" + fileName.string() + "\" is too large for a picture (" +
                      std::to_string(size) + " bytes; at most " +
                      std::to_string(MaxPictureFileSize) + " are read).");
  const std::int64_t fileCanHold = static_cast<std::int64_t>(size) * MaxPixelsPerByte(*type);
  const TImageLimits limits{MaxImageSide, std::min(MaxImagePixels, fileCanHold)};
  const TPictureHeader header = ReadPictureHeader(fd.Get(), size, *type);
  if (!header.Refusal.empty()) throw EImageError(header.Refusal);
  TImageInfo info;
  info.Width = header.Width;
  info.Height = header.Height;
  if (header.SizeKnown && !limits.Allow(info.Width, info.Height))
    RaiseTooLarge(fileName, info, size);
  const TImageSource source{fd.Get(), fileName.string(), *type};
  std::string error;
  if (header.Plain) info = PlainPictureInfo(info.Width, info.Height);
  switch (call(source, limits, info, error, header.Plain)) {
    case TDecodeResult::Ok: return info;
    case TDecodeResult::TooLarge: RaiseTooLarge(fileName, info, size);
    case TDecodeResult::Failed: break;
  }
  throw EImageError(error);
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
      {".TIFF", TImageFileType::Tiff}, {".PNG", TImageFileType::Png},
      {".EXR", TImageFileType::Exr},   {".DPX", TImageFileType::Dpx}};
  const std::string ext = UpperCase(FileExtension(fileName));
  for (const auto& [name, type] : extensions)
    if (ext == name) return type;
  return std::nullopt;
}

TImageInfo LoadImageToBitmap(const fs::path& fileName, TBitmap& bitmap) {
  const auto type = ImageFileTypeOf(fileName);
  if (!type || (*type != TImageFileType::Bmp && *type != TImageFileType::Jpeg &&
                 *type != TImageFileType::Tiff))
    RaiseUnknownExtension(fileName);
  return DecodeImageFile(fileName, bitmap);
}

TImageInfo ReadImageInfo(const fs::path& fileName) {
  return ReadPicture(fileName, [](const TImageSource& source, const TImageLimits& limits,
                                  TImageInfo& info, std::string& error, bool plain) {
    if (plain) return TDecodeResult::Ok;
    return Codecs().ReadInfo(source, limits, info, error);
  });
}

TImageInfo DecodeImageFile(const fs::path& fileName, TBitmap& bitmap) {
  return ReadPicture(fileName, [&](const TImageSource& source, const TImageLimits& limits,
                                   TImageInfo& info, std::string& error, bool plain) {
    if (plain) return DecodePlainPicture(source, limits, bitmap, info, error);
    return Codecs().Decode(source, limits, bitmap, info, error);
  });
}

void SaveBitmap(const fs::path& fileName, const TBitmap& bitmap, TImageFileType type,
                TReplace replace) {
  if (bitmap.Empty()) throw EImageError("Cannot save an empty picture.");
  std::vector<unsigned char> encoded;
  std::string error;
  const bool ok = EncodesPlainly(type)
                      ? EncodePlainPicture(bitmap, type, encoded, error)
                      : Codecs().Encode(bitmap, type, fileName.string(), encoded, error);
  if (!ok) throw EImageError(error);
  WriteFileAtomic(fileName,
                  std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()),
                  replace);
}

TDeepPicture DecodeDeepImage(const fs::path& fileName) {
  TDeepPicture picture;
  ReadPicture(fileName, [&](const TImageSource& source, const TImageLimits& limits,
                            TImageInfo& info, std::string& error, bool plain) {
    if (plain) return DecodePlainDeepPicture(source, limits, picture, info, error);
    return Codecs().DecodeDeep(source, limits, picture, info, error);
  });
  return picture;
}

void SaveDeepImage(const fs::path& fileName, const TDeepPicture& picture, TImageFileType type,
                   TReplace replace) {
  if (picture.Width <= 0 || picture.Height <= 0) throw EImageError("Cannot save an empty picture.");
  std::vector<unsigned char> encoded;
  std::string error;
  if (!Codecs().EncodeDeep(picture, type, fileName.string(), encoded, error))
    throw EImageError(error);
  WriteFileAtomic(fileName,
                  std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()),
                  replace);
}
