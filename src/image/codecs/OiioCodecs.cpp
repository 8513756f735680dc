// The codec module over OpenImageIO, loaded by ImageLib on first use. Pixels
// are decoded straight into the bitmap (no second full-size copy) and encoded
// in bands of rows into memory; the library writes the bytes to the file.
#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "image/ImageCodecs.h"

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

const char* CodecName(TImageFileType type) {
  switch (type) {
    case TImageFileType::Bmp: return "bmp";
    case TImageFileType::Jpeg: return "jpeg";
    case TImageFileType::Tiff: return "tiff";
    case TImageFileType::Png: return "png";
    case TImageFileType::Exr: return "openexr";
    case TImageFileType::Dpx: return "dpx";
  }
  return "png";
}

// Encoder settings of each type, whatever the depth.
void SetTypeAttributes(ImageSpec& spec, TImageFileType type) {
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
      // No row filter (PNG_FILTER_NONE): files about a quarter larger than
      // libpng's adaptive choice, in about a quarter of its time, which is
      // what video tools write by default too.
      spec.attribute("png:filter", 0x08);
      break;
    case TImageFileType::Exr:
      spec.attribute("compression", "zip");
      break;
    case TImageFileType::Dpx:
      spec.attribute("oiio:BitsPerSample", 10);  // the film scanners' depth
      break;
    case TImageFileType::Bmp:
      break;
  }
}

bool IsFloat(const TypeDesc& type) {
  return type.basetype == TypeDesc::HALF || type.basetype == TypeDesc::FLOAT ||
         type.basetype == TypeDesc::DOUBLE;
}

// One picture opened by the codec of its type and by no other: handed a file
// its own reader refuses, the codec library would try each of its readers in
// turn, and some of them never stop reading an endless stream.
class TPictureReader {
 public:
  // unassociatedAlpha: colours as the file stores them; PNG and some TIFFs
  // keep them apart from alpha, and the codec would otherwise multiply them
  // by it.
  TDecodeResult Open(const TImageSource& source, const TImageLimits& limits, TImageInfo& info,
                     std::string& error, bool unassociatedAlpha = false) {
    const int fd = ::dup(source.Fd);
    if (fd >= 0) File_.reset(::fdopen(fd, "rb"));
    if (!File_) {
      if (fd >= 0) ::close(fd);
      error = "Cannot read the picture.";
      return TDecodeResult::Failed;
    }
    Proxy_ =
        std::make_unique<OIIO::Filesystem::IOFile>(File_.get(), OIIO::Filesystem::IOProxy::Read);
    In_ = ImageInput::create(CodecName(source.Type));
    if (!In_) {
      error = CodecMessage({}, "No decoder for this picture type.");
      return TDecodeResult::Failed;
    }
    ImageSpec config;
    OIIO::Filesystem::IOProxy* proxy = Proxy_.get();
    config.attribute("oiio:ioproxy", TypeDesc::PTR, &proxy);
    // A grey palette would make the BMP reader announce one channel while its
    // run-length path still writes three per pixel, past the end of the row.
    config.attribute("bmp:monochrome_detect", 0);
    if (unassociatedAlpha) config.attribute("oiio:UnassociatedAlpha", 1);
    ImageSpec spec;
    if (!In_->open(source.FileName, spec, config)) {
      error = CodecMessage(In_->geterror(), "Cannot decode the picture.");
      return TDecodeResult::Failed;
    }
    info = InfoOf(spec);
    return limits.Allow(info.Width, info.Height) ? TDecodeResult::Ok : TDecodeResult::TooLarge;
  }

  ImageInput& In() { return *In_; }

 private:
  std::unique_ptr<FILE, int (*)(FILE*)> File_{nullptr, &std::fclose};
  std::unique_ptr<OIIO::Filesystem::IOFile> Proxy_;
  std::unique_ptr<ImageInput> In_;  // declared last: gone before the proxy and the file
};

class TOiioCodecs final : public IImageCodecs {
 public:
  TDecodeResult ReadInfo(const TImageSource& source, const TImageLimits& limits, TImageInfo& info,
                         std::string& error) const override {
    TPictureReader reader;
    return reader.Open(source, limits, info, error);
  }

  TDecodeResult Decode(const TImageSource& source, const TImageLimits& limits, TBitmap& bitmap,
                       TImageInfo& info, std::string& error) const override {
    TPictureReader reader;
    if (const TDecodeResult opened = reader.Open(source, limits, info, error);
        opened != TDecodeResult::Ok)
      return opened;
    ImageInput& in = reader.In();
    // Grey (with or without alpha) is read into the first byte of each pixel
    // and spread afterwards; colour is read as R, G, B and turned into B, G, R.
    TBitmap decoded(info.Width, info.Height);
    const int channels = info.Channels >= 3 ? 3 : 1;
    // A damaged strip or tile can leave an error while the read still answers
    // success (the rest of the picture then comes out black): either fails.
    if (!in.read_image(0, 0, 0, channels, TypeDesc::UINT8, decoded.Bits(), 3,
                       static_cast<OIIO::stride_t>(decoded.Pitch())) ||
        in.has_error()) {
      error = CodecMessage(in.geterror(), "Cannot decode the picture.");
      return TDecodeResult::Failed;
    }
    in.close();
    std::uint8_t* p = decoded.Bits();
    std::uint8_t* const end = p + decoded.Pitch() * static_cast<std::size_t>(info.Height);
    if (channels == 3) {
      for (; p != end; p += 3) std::swap(p[0], p[2]);
    } else {
      for (; p != end; p += 3) p[1] = p[2] = p[0];
    }
    bitmap = std::move(decoded);
    return TDecodeResult::Ok;
  }

  bool Encode(const TBitmap& bitmap, TImageFileType type, const std::string& fileName,
              std::vector<unsigned char>& encoded, std::string& error) const override {
    auto out = ImageOutput::create(CodecName(type));
    if (!out) {
      error = CodecMessage({}, "No encoder for this picture type.");
      return false;
    }
    ImageSpec spec(bitmap.Width(), bitmap.Height(), 3, TypeDesc::UINT8);
    SetTypeAttributes(spec, type);
    OIIO::Filesystem::IOVecOutput memory(encoded);
    out->set_ioproxy(&memory);
    if (!out->open(fileName, spec)) {
      error = CodecMessage(out->geterror(), "Cannot encode the picture.");
      return false;
    }
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
      if (!out->write_scanlines(y0, y1, 0, TypeDesc::UINT8, rgb.data())) {
        error = CodecMessage(out->geterror(), "Cannot encode the picture.");
        return false;
      }
    }
    // The TIFF encoder may leave a note about optional metadata it skipped on
    // the object even though the image is complete; only a failed close counts.
    if (!out->close()) {
      error = CodecMessage(out->geterror(), "Cannot encode the picture.");
      return false;
    }
    return true;
  }

  TDecodeResult DecodeDeep(const TImageSource& source, const TImageLimits& limits,
                           TDeepPicture& picture, TImageInfo& info,
                           std::string& error) const override {
    TPictureReader reader;
    if (const TDecodeResult opened = reader.Open(source, limits, info, error, true);
        opened != TDecodeResult::Ok)
      return opened;
    ImageInput& in = reader.In();
    const ImageSpec& spec = in.spec();
    const int fileChannels = std::min(spec.nchannels, 4);
    // Grey is spread over R, G and B; alpha is kept where the file has one.
    const bool colour = fileChannels >= 3;
    const int alpha = spec.alpha_channel >= 0 && spec.alpha_channel < fileChannels
                          ? spec.alpha_channel
                          : (fileChannels == 2 || fileChannels == 4 ? fileChannels - 1 : -1);
    TDeepPicture out;
    out.Width = info.Width;
    out.Height = info.Height;
    out.Channels = alpha >= 0 ? 4 : 3;
    out.Float = IsFloat(spec.format);
    out.BitsPerSample = static_cast<int>(spec.format.size() * 8);
    const std::size_t pixels = static_cast<std::size_t>(out.Width) * out.Height;
    // RGB and RGBA files are read in place; others through a copy.
    const bool direct = colour && fileChannels == out.Channels && (alpha < 0 || alpha == 3);
    std::vector<float> copy(direct ? 0 : pixels * fileChannels);
    out.Samples.resize(pixels * out.Channels);
    if (!in.read_image(0, 0, 0, fileChannels, TypeDesc::FLOAT,
                        direct ? out.Samples.data() : copy.data()) ||
        in.has_error()) {
      error = CodecMessage(in.geterror(), "Cannot decode the picture.");
      return TDecodeResult::Failed;
    }
    if (!direct) {
      const float* p = copy.data();
      float* q = out.Samples.data();
      for (std::size_t i = 0; i < pixels; ++i, p += fileChannels, q += out.Channels) {
        q[0] = p[0];
        q[1] = colour ? p[1] : p[0];
        q[2] = colour ? p[2] : p[0];
        if (alpha >= 0) q[3] = p[alpha];
      }
    }
    picture = std::move(out);
    return TDecodeResult::Ok;
  }

  bool EncodeDeep(const TDeepPicture& picture, TImageFileType type, const std::string& fileName,
                  std::vector<unsigned char>& encoded, std::string& error) const override {
    auto out = ImageOutput::create(CodecName(type));
    if (!out) {
      error = CodecMessage({}, "No encoder for this picture type.");
      return false;
    }
    const bool deepType = type == TImageFileType::Png || type == TImageFileType::Tiff ||
                          type == TImageFileType::Exr || type == TImageFileType::Dpx;
    TypeDesc format = TypeDesc::UINT8;
    if (type == TImageFileType::Exr) {
      // Half floats hold 8-bit codes and half-float pictures exactly; the rest needs float.
      const bool half = picture.Float ? picture.BitsPerSample <= 16 : picture.BitsPerSample <= 8;
      format = half ? TypeDesc::HALF : TypeDesc::FLOAT;
    } else if (picture.Float && type == TImageFileType::Tiff) {
      format = TypeDesc::FLOAT;
    } else if (type == TImageFileType::Dpx ||
               (deepType && (picture.Float || picture.BitsPerSample > 8))) {
      format = TypeDesc::UINT16;
    }
    // JPEG and BMP carry no alpha worth keeping here.
    const int channels = deepType ? picture.Channels : 3;
    ImageSpec spec(picture.Width, picture.Height, channels, format);
    if (channels == 4) {
      spec.alpha_channel = 3;
      spec.attribute("oiio:UnassociatedAlpha", 1);  // the colours are as read
    }
    SetTypeAttributes(spec, type);
    OIIO::Filesystem::IOVecOutput memory(encoded);
    out->set_ioproxy(&memory);
    const auto pixelStride = static_cast<OIIO::stride_t>(sizeof(float) * picture.Channels);
    if (!out->open(fileName, spec) ||
        !out->write_image(TypeDesc::FLOAT, picture.Samples.data(), pixelStride) || !out->close()) {
      error = CodecMessage(out->geterror(), "Cannot encode the picture.");
      return false;
    }
    return true;
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const IImageCodecs* ToviImageCodecs() {
  static const TOiioCodecs codecs;
  return &codecs;
}
