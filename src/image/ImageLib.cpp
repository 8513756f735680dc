// The codec layer over OpenImageIO. Pixels are decoded straight into the
// bitmap (no second full-size copy) and encoded in bands of rows into memory,
// which is then written in one go through WriteFileAtomic.
#include "image/ImageLib.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "core/StringLib.h"

namespace fs = std::filesystem;
using OIIO::ImageInput;
using OIIO::ImageOutput;
using OIIO::ImageSpec;
using OIIO::TypeDesc;

namespace {

// OpenImageIO keeps some errors on the object and some globally; whichever
// holds text is the codec's message.
std::string CodecMessage(std::string objectError, const char* fallback) {
  if (objectError.empty()) objectError = OIIO::geterror();
  if (objectError.empty()) objectError = fallback;
  while (!objectError.empty() && objectError.back() == '\n') objectError.pop_back();
  return objectError;
}

TImageInfo InfoOf(const ImageSpec& spec) {
  TImageInfo info;
  info.Width = spec.width;
  info.Height = spec.height;
  info.Channels = spec.nchannels;
  info.BitsPerSample = spec.get_int_attribute("oiio:BitsPerSample",
                                              static_cast<int>(spec.format.size() * 8));
  // BMP and TIFF readers expand indexed and packed pixels to RGB; their own
  // attributes tell what the file held.
  const int bmpBits = spec.get_int_attribute("bmp:bitsperpixel", 0);
  if (bmpBits > 0 && bmpBits <= 8) info.Palette = true;
  if (bmpBits > 8 && bmpBits < 24) info.BitsPerSample = bmpBits / 3;
  if (spec.get_int_attribute("tiff:PhotometricInterpretation", -1) == 3) info.Palette = true;
  return info;
}

void CheckImageSize(const fs::path& fileName, const TImageInfo& info) {
  const std::int64_t pixels = static_cast<std::int64_t>(info.Width) * info.Height;
  if (info.Width <= 0 || info.Height <= 0 || info.Width > MaxImageSide ||
      info.Height > MaxImageSide || pixels > MaxImagePixels)
    throw EImageError("The picture \"" + fileName.string() + "\" is too large to load (" +
                      std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                      " pixels; at most " + std::to_string(MaxImageSide) +
                      " pixels per side and " + std::to_string(MaxImagePixels / 1'000'000) +
                      " million pixels).");
}

std::unique_ptr<ImageInput> OpenImage(const fs::path& fileName) {
  // Our own open first, so that a missing or unreadable file gives the same
  // error as for every other input.
  (void)ReadFilePrefix(fileName, 1);
  auto in = ImageInput::open(fileName.string());
  if (!in) throw EImageError(CodecMessage({}, "Cannot decode the picture."));
  return in;
}

const char* CodecName(TImageFileType type) {
  switch (type) {
    case TImageFileType::Bmp: return "bmp";
    case TImageFileType::Jpeg: return "jpeg";
    case TImageFileType::Tiff: return "tiff";
    case TImageFileType::Png: return "png";
  }
  return "png";
}

}  // namespace

std::optional<TImageFileType> ImageFileTypeOf(const fs::path& fileName) {
  static const std::pair<const char*, TImageFileType> extensions[] = {
      {".BMP", TImageFileType::Bmp},  {".JPG", TImageFileType::Jpeg},
      {".JPEG", TImageFileType::Jpeg}, {".TIF", TImageFileType::Tiff},
      {".TIFF", TImageFileType::Tiff}, {".PNG", TImageFileType::Png}};
  const std::string ext = UpperCase(fileName.extension().string());
  for (const auto& [name, type] : extensions)
    if (ext == name) return type;
  return std::nullopt;
}

TImageInfo LoadImageToBitmap(const fs::path& fileName, TBitmap& bitmap) {
  const auto type = ImageFileTypeOf(fileName);
  if (!type || *type == TImageFileType::Png) {
    std::string ext = fileName.extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    throw EImageError("Unknown picture file extension (." + ext + ")");
  }
  return DecodeImageFile(fileName, bitmap);
}

TImageInfo ReadImageInfo(const fs::path& fileName) { return InfoOf(OpenImage(fileName)->spec()); }

TImageInfo DecodeImageFile(const fs::path& fileName, TBitmap& bitmap) {
  auto in = OpenImage(fileName);
  const TImageInfo info = InfoOf(in->spec());
  CheckImageSize(fileName, info);

  // Grey (with or without alpha) is read into the first byte of each pixel and
  // spread afterwards; colour is read as R, G, B and turned into B, G, R.
  TBitmap decoded(info.Width, info.Height);
  const int channels = info.Channels >= 3 ? 3 : 1;
  // A damaged strip or tile can leave an error while the read still answers
  // success (the rest of the picture then comes out black): either fails.
  if (!in->read_image(0, 0, 0, channels, TypeDesc::UINT8, decoded.Bits(), 3,
                      static_cast<OIIO::stride_t>(decoded.Pitch())) ||
      in->has_error())
    throw EImageError(CodecMessage(in->geterror(), "Cannot decode the picture."));
  in->close();
  std::uint8_t* p = decoded.Bits();
  std::uint8_t* const end = p + decoded.Pitch() * static_cast<std::size_t>(info.Height);
  if (channels == 3) {
    for (; p != end; p += 3) std::swap(p[0], p[2]);
  } else {
    for (; p != end; p += 3) p[1] = p[2] = p[0];
  }
  bitmap = std::move(decoded);
  return info;
}

void SaveBitmap(const fs::path& fileName, const TBitmap& bitmap, TImageFileType type) {
  if (bitmap.Empty()) throw EImageError("Cannot save an empty picture.");
  auto out = ImageOutput::create(CodecName(type));
  if (!out) throw EImageError(CodecMessage({}, "No encoder for this picture type."));
  ImageSpec spec(bitmap.Width(), bitmap.Height(), 3, TypeDesc::UINT8);
  switch (type) {
    case TImageFileType::Jpeg:
      // Every pixel of a Hald image is its own colour: no chroma subsampling.
      spec.attribute("Compression", "jpeg:100");
      spec.attribute("jpeg:subsampling", "4:4:4");
      break;
    case TImageFileType::Tiff:
      spec.attribute("Compression", "lzw");  // read by every TIFF reader
      break;
    case TImageFileType::Png:
    case TImageFileType::Bmp:
      break;
  }
  std::vector<unsigned char> encoded;
  OIIO::Filesystem::IOVecOutput memory(encoded);
  out->set_ioproxy(&memory);
  if (!out->open(fileName.string(), spec))
    throw EImageError(CodecMessage(out->geterror(), "Cannot encode the picture."));

  constexpr int band = 64;
  std::vector<std::uint8_t> rgb(bitmap.Pitch() * band);
  for (int y0 = 0; y0 < bitmap.Height(); y0 += band) {
    const int y1 = std::min(bitmap.Height(), y0 + band);
    std::uint8_t* q = rgb.data();
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* p = bitmap.Row(y);
      for (int x = 0; x < bitmap.Width(); ++x, p += 3, q += 3) {
        q[0] = p[2];
        q[1] = p[1];
        q[2] = p[0];
      }
    }
    if (!out->write_scanlines(y0, y1, 0, TypeDesc::UINT8, rgb.data()))
      throw EImageError(CodecMessage(out->geterror(), "Cannot encode the picture."));
  }
  // The TIFF encoder may leave a note about optional metadata it skipped on
  // the object even though the image is complete; only a failed close counts.
  if (!out->close()) throw EImageError(CodecMessage(out->geterror(), "Cannot encode the picture."));
  WriteFileAtomic(fileName, std::string_view(reinterpret_cast<const char*>(encoded.data()),
                                             encoded.size()));
}
