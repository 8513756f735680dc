// DPX: the film scanners' uncompressed layout, read and written here.
//
//   0     magic "SDPX" (big-endian file) or "XPDS" (little-endian)
//   4     offset of the image data            16   file size
//   768   orientation, elements, pixels per line, lines
//   780   the first image element: data sign, reference codes, descriptor
//         (+20: 50 RGB, 51 RGBA, 52 ABGR, 6 luma), transfer (+21),
//         colorimetric (+22), bit size (+23), packing (+24), encoding (+26),
//         data offset (+28), end-of-line padding (+32)
//
// Samples run across the row in the file's byte order; every row starts on a
// 32-bit word. 10 bits: three samples per 32-bit word, filled from the top
// (method A: two spare bits at the bottom; method B: at the top). 12 bits:
// one sample per 16-bit word (method A: in the top 12 bits). 8 and 16 bits:
// bytes and 16-bit words.
//
// Quirks, and why:
// - Codes are read and written as they are (code / (2^bits - 1)); a deeper
//   value is rounded to the nearest code, never shifted.
// - The first image element is the picture; run-length coded elements and
//   other descriptors are refused by name.
// - The whole pixel data must be in the file before anything is decoded.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image/codecs/PictureCodec.h"

namespace {

constexpr std::size_t HeaderSize = 2048;
constexpr std::size_t ElementAt = 780;

int ChannelsOf(int descriptor) {
  switch (descriptor) {
    case 6: return 1;
    case 50: return 3;
    case 51:
    case 52: return 4;
    default: return 0;
  }
}

// Bytes of one row before its end-of-line padding.
std::uint64_t RowBytesOf(std::uint64_t width, int channels, int bits) {
  const std::uint64_t samples = width * static_cast<std::uint64_t>(channels);
  std::uint64_t bytes = 0;
  switch (bits) {
    case 8: bytes = samples; break;
    case 10: bytes = (samples + 2) / 3 * 4; break;
    default: bytes = samples * 2; break;  // 12 and 16
  }
  return (bytes + 3) & ~std::uint64_t(3);
}

class TDpxReader final : public TPictureReader {
 public:
  explicit TDpxReader(const TPictureFile& file) : File_(file) {
    unsigned char h[ElementAt + 72];
    if (!ReadFileAt(file, 0, h, sizeof h))
      RaiseTruncated(file.Name, "its header needs " + std::to_string(sizeof h) + " bytes, the file has " +
                                    std::to_string(file.Size));
    if (std::memcmp(h, "SDPX", 4) == 0) {
      Big_ = true;
    } else if (std::memcmp(h, "XPDS", 4) != 0) {
      RaiseDamaged(file.Name, "it does not start as a DPX file");
    }
    const unsigned char* e = h + ElementAt;
    Descriptor_ = e[20];
    const int bits = e[23];
    Packing_ = Get16(e + 24, Big_);
    const int channels = ChannelsOf(Descriptor_);
    if (channels == 0)
      throw EImageError("The DPX picture \"" + file.Name + "\" holds element type " +
                        std::to_string(Descriptor_) + "; RGB, RGBA, ABGR and luma are read.");
    if (bits != 8 && bits != 10 && bits != 12 && bits != 16)
      throw EImageError("The DPX picture \"" + file.Name + "\" has " + std::to_string(bits) +
                        " bits per sample; 8, 10, 12 and 16 are read.");
    if ((bits == 10 || bits == 12) && Packing_ != 1 && Packing_ != 2)
      throw EImageError("The DPX picture \"" + file.Name + "\" packs its " + std::to_string(bits) +
                        "-bit samples without filling words; filled words (methods A and B) are read.");
    if (Get16(e + 26, Big_) != 0)
      throw EImageError("The DPX picture \"" + file.Name + "\" is run-length coded; uncompressed DPX is read.");
    const std::uint32_t width = Get32(h + 772, Big_), height = Get32(h + 776, Big_);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
      RaiseDamaged(file.Name, "it declares " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    std::uint64_t offset = Get32(e + 28, Big_);
    if (offset == 0 || offset == 0xFFFFFFFF) offset = Get32(h + 4, Big_);
    std::uint32_t padding = Get32(e + 32, Big_);
    if (padding == 0xFFFFFFFF) padding = 0;
    RowBytes_ = RowBytesOf(width, channels, bits);
    Stride_ = RowBytes_ + padding;
    if (offset >= file.Size)
      RaiseTruncated(file.Name, "its image data is said to start at byte " + std::to_string(offset) +
                                    ", past the end of its " + std::to_string(file.Size) + " bytes");
    const std::uint64_t need = Stride_ * (height - 1) + RowBytes_;
    if (need > file.Size - offset)
      RaiseTruncated(file.Name, "its " + std::to_string(width) + " x " + std::to_string(height) +
                                    " pixels need " + std::to_string(need) + " bytes of image data from byte " +
                                    std::to_string(offset) + ", the file holds " +
                                    std::to_string(file.Size - offset));
    At_ = offset;
    Info.Width = static_cast<int>(width);
    Info.Height = static_cast<int>(height);
    Info.Channels = channels;
    Info.BitsPerSample = bits;
    Info.Traits.Type = TImageFileType::Dpx;
    Info.Traits.Orientation = Get16(h + 768, Big_);
    Info.Traits.BigEndian = Big_;
    Info.Traits.Transfer = e[21];
    Info.Traits.Colorimetric = e[22];
  }

  void ReadRows(float* to, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Info.Width) * Info.Channels;
    Row_.resize(RowBytes_);
    const std::uint32_t maxCode = (1u << Info.BitsPerSample) - 1;
    for (int r = 0; r < rows; ++r, to += samples, At_ += Stride_) {
      if (!ReadFileAt(File_, At_, Row_.data(), Row_.size()))
        RaiseTruncated(File_.Name, "its image data cannot be read at byte " + std::to_string(At_));
      const unsigned char* p = Row_.data();
      switch (Info.BitsPerSample) {
        case 8:
          for (std::size_t i = 0; i < samples; ++i) to[i] = SampleOf(p[i], maxCode);
          break;
        case 10: {
          const int shift = Packing_ == 1 ? 2 : 0;
          for (std::size_t i = 0; i < samples; i += 3, p += 4) {
            const std::uint32_t w = Get32(p, Big_) >> shift;
            to[i] = SampleOf(w >> 20 & 0x3FF, maxCode);
            if (i + 1 < samples) to[i + 1] = SampleOf(w >> 10 & 0x3FF, maxCode);
            if (i + 2 < samples) to[i + 2] = SampleOf(w & 0x3FF, maxCode);
          }
          break;
        }
        default: {
          const int shift = Info.BitsPerSample == 12 && Packing_ == 1 ? 4 : 0;
          for (std::size_t i = 0; i < samples; ++i, p += 2)
            to[i] = SampleOf((Get16(p, Big_) >> shift) & maxCode, maxCode);
        }
      }
      if (Descriptor_ == 52)  // ABGR to RGBA
        for (std::size_t i = 0; i < samples; i += 4) {
          std::swap(to[i], to[i + 3]);
          std::swap(to[i + 1], to[i + 2]);
        }
    }
  }

 private:
  TPictureFile File_;
  bool Big_ = false;
  int Descriptor_ = 50;
  int Packing_ = 0;
  std::uint64_t RowBytes_ = 0;
  std::uint64_t Stride_ = 0;
  std::uint64_t At_ = 0;
  std::vector<unsigned char> Row_;
};

int StoredBits(const TPictureTarget& target) {
  if (target.Float || target.BitsPerSample > 12) return 16;
  if (target.BitsPerSample > 10) return 12;
  if (target.BitsPerSample > 8) return 10;
  return 8;
}

class TDpxWriter final : public TPictureWriter {
 public:
  TDpxWriter(const TPictureTarget& target, IByteSink& sink)
      : Target_(target), Out_(sink), Bits_(StoredBits(target)) {
    const bool same = target.Traits.Type == TImageFileType::Dpx;
    Big_ = !same || target.Traits.BigEndian;
    RowBytes_ = RowBytesOf(static_cast<std::uint64_t>(target.Width), target.Channels, Bits_);
    unsigned char h[HeaderSize] = {};
    std::memcpy(h, Big_ ? "SDPX" : "XPDS", 4);
    Put32(h + 4, HeaderSize, Big_);
    std::memcpy(h + 8, "V2.0", 4);
    Put32(h + 16, static_cast<std::uint32_t>(HeaderSize + RowBytes_ * static_cast<std::uint64_t>(target.Height)), Big_);
    Put32(h + 20, 1, Big_);     // a new picture, not a copy of the previous frame's header
    Put32(h + 24, 1664, Big_);  // generic header
    Put32(h + 28, 384, Big_);   // industry header
    std::snprintf(reinterpret_cast<char*>(h + 160), 100, "Tovi LUT Converter");
    Put32(h + 660, 0xFFFFFFFF, Big_);  // not encrypted
    Put16(h + 768, static_cast<std::uint16_t>(same ? target.Traits.Orientation : 0), Big_);
    Put16(h + 770, 1, Big_);
    Put32(h + 772, static_cast<std::uint32_t>(target.Width), Big_);
    Put32(h + 776, static_cast<std::uint32_t>(target.Height), Big_);
    unsigned char* e = h + ElementAt;
    Put32(e + 12, (1u << Bits_) - 1, Big_);  // reference high code
    e[20] = target.Channels == 4 ? 51 : 50;
    e[21] = static_cast<unsigned char>(same ? target.Traits.Transfer : 2);  // linear
    e[22] = static_cast<unsigned char>(same ? target.Traits.Colorimetric : 2);
    e[23] = static_cast<unsigned char>(Bits_);
    Put16(e + 24, Bits_ == 10 || Bits_ == 12 ? 1 : 0, Big_);  // method A for 10 and 12 bits
    Put32(e + 28, HeaderSize, Big_);
    Out_.Write(h, sizeof h);
  }

  void WriteRows(const float* from, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Target_.Width) * Target_.Channels;
    const std::uint32_t maxCode = (1u << Bits_) - 1;
    Row_.assign(RowBytes_, 0);
    for (int r = 0; r < rows; ++r, from += samples) {
      unsigned char* p = Row_.data();
      switch (Bits_) {
        case 8:
          for (std::size_t i = 0; i < samples; ++i) p[i] = static_cast<unsigned char>(CodeOf(from[i], maxCode));
          break;
        case 10:
          for (std::size_t i = 0; i < samples; i += 3, p += 4) {
            std::uint32_t w = CodeOf(from[i], maxCode) << 22;
            if (i + 1 < samples) w |= CodeOf(from[i + 1], maxCode) << 12;
            if (i + 2 < samples) w |= CodeOf(from[i + 2], maxCode) << 2;
            Put32(p, w, Big_);
          }
          break;
        default: {
          const int shift = Bits_ == 12 ? 4 : 0;
          for (std::size_t i = 0; i < samples; ++i, p += 2)
            Put16(p, static_cast<std::uint16_t>(CodeOf(from[i], maxCode) << shift), Big_);
        }
      }
      Out_.Write(Row_.data(), Row_.size());
    }
  }

 private:
  TPictureTarget Target_;
  TSequentialSink Out_;
  int Bits_;
  bool Big_ = true;
  std::uint64_t RowBytes_ = 0;
  std::vector<unsigned char> Row_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenDpxReader(const TPictureFile& file) {
  return std::make_unique<TDpxReader>(file);
}

std::unique_ptr<TPictureWriter> MakeDpxWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TDpxWriter>(target, sink);
}
