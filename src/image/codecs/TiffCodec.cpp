// TIFF through libtiff: grey, palette and RGB pictures of 1 to 16 bits and
// 32-bit float, with or without alpha, in strips or tiles, with any
// compression libtiff was built with; written as RGB or RGBA of 8 or 16 bits
// or float.
//
// Quirks, and why:
// - libtiff's messages are collected per file (never printed) and the first
//   one becomes the codec's message.
// - Strips of interleaved samples are read a row at a time; tiled pictures
//   and pictures of separate planes are decoded whole on the first request.
// - A palette's 16-bit colours are taken at 8 bits (the top byte), as the
//   colours of a palette are meant.
// - Written back as TIFF, a picture keeps its compression, predictor and
//   orientation; any other is written with LZW and the horizontal predictor
//   (floating-point predictor for float), which every reader takes.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "image/codecs/PictureCodec.h"

namespace {

// Largest single allocation libtiff may make for one picture.
constexpr tmsize_t MaxTiffAllocation = tmsize_t(512) << 20;

struct TTiffIo {
  const TPictureFile* File = nullptr;
  IByteSink* Sink = nullptr;
  std::uint64_t At = 0;
  std::string Message;
};

int CollectMessage(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* io = static_cast<TTiffIo*>(user);
  if (!io->Message.empty()) return 1;
  char text[300];
  std::vsnprintf(text, sizeof text, format, args);
  io->Message = text;
  (void)module;
  return 1;
}

int IgnoreMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

tmsize_t ReadProc(thandle_t h, void* to, tmsize_t n) {
  auto* io = static_cast<TTiffIo*>(h);
  if (n <= 0) return 0;
  std::size_t got = 0;
  if (io->File) {
    const std::uint64_t left = io->At < io->File->Size ? io->File->Size - io->At : 0;
    got = static_cast<std::size_t>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(n)));
    if (got && !ReadFileAt(*io->File, io->At, to, got)) return -1;
  } else {
    got = io->Sink->ReadAt(io->At, to, static_cast<std::size_t>(n));
  }
  io->At += got;
  return static_cast<tmsize_t>(got);
}

tmsize_t WriteProc(thandle_t h, void* from, tmsize_t n) {
  auto* io = static_cast<TTiffIo*>(h);
  if (!io->Sink || n < 0) return -1;
  io->Sink->WriteAt(io->At, from, static_cast<std::size_t>(n));
  io->At += static_cast<std::uint64_t>(n);
  return n;
}

std::uint64_t SizeProc(thandle_t h) {
  auto* io = static_cast<TTiffIo*>(h);
  return io->File ? io->File->Size : io->Sink->Size();
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  auto* io = static_cast<TTiffIo*>(h);
  switch (whence) {
    case SEEK_SET: io->At = offset; break;
    case SEEK_CUR: io->At += offset; break;
    case SEEK_END: io->At = SizeProc(h) + offset; break;
    default: return static_cast<toff_t>(-1);
  }
  return io->At;
}

int CloseProc(thandle_t) { return 0; }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

TIFF* OpenTiff(TTiffIo& io, const char* name, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, MaxTiffAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, CollectMessage, &io);
  TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreMessage, nullptr);
  TIFF* tif = TIFFClientOpenExt(name, mode, &io, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

// An open TIFF, closed however its owner ends (a constructor that raises
// included).
class TTiffHandle {
 public:
  TTiffHandle() = default;
  TTiffHandle(const TTiffHandle&) = delete;
  TTiffHandle& operator=(const TTiffHandle&) = delete;
  ~TTiffHandle() { Close(); }
  TTiffHandle& operator=(TIFF* tif) {
    Close();
    Tif_ = tif;
    return *this;
  }
  operator TIFF*() const { return Tif_; }
  void Close() {
    if (Tif_) TIFFClose(Tif_);
    Tif_ = nullptr;
  }

 private:
  TIFF* Tif_ = nullptr;
};

class TTiffReader final : public TPictureReader {
 public:
  explicit TTiffReader(const TPictureFile& file) : File_(file) {
    Io_.File = &File_;
    Tif_ = OpenTiff(Io_, file.Name.c_str(), "rm");
    if (!Tif_) Fail("TIFF: Unsupported version");
    std::uint32_t width = 0, height = 0;
    std::uint16_t spp = 1, bps = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE, orientation = ORIENTATION_TOPLEFT, predictor = 1;
    TIFFGetField(Tif_, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(Tif_, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(Tif_, TIFFTAG_PREDICTOR, &predictor);
    if (!TIFFGetField(Tif_, TIFFTAG_PHOTOMETRIC, &Photometric_))
      Photometric_ = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
      Fail("TIFF: Illegal image dimensions");
    if (!TIFFIsCODECConfigured(compression)) Fail("TIFF: Unsupported compression scheme");
    if (Photometric_ == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
      TIFFSetField(Tif_, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
      Photometric_ = PHOTOMETRIC_RGB;
    }
    const bool colour = Photometric_ == PHOTOMETRIC_RGB;
    const bool palette = Photometric_ == PHOTOMETRIC_PALETTE;
    if (!colour && !palette && Photometric_ != PHOTOMETRIC_MINISBLACK &&
        Photometric_ != PHOTOMETRIC_MINISWHITE)
      Fail("TIFF: Unsupported photometric interpretation");
    Float_ = format == SAMPLEFORMAT_IEEEFP;
    const bool bitsOk = Float_ ? bps == 32 && !palette
                               : format == SAMPLEFORMAT_UINT &&
                                     (bps == 1 || bps == 2 || bps == 4 || bps == 8 || bps == 16);
    if (!bitsOk || spp == 0 || (colour && spp < 3) || (palette && (spp != 1 || bps > 8)))
      Fail("TIFF: Unsupported Bits Per Sample");
    Bps_ = bps;
    Spp_ = spp;
    Whole_ = TIFFIsTiled(Tif_) || (planar == PLANARCONFIG_SEPARATE && spp > 1);
    if (Whole_ && bps < 8) Fail("TIFF: Unsupported Bits Per Sample");
    Separate_ = planar == PLANARCONFIG_SEPARATE;
    const int base = colour ? 3 : 1;
    const bool alpha = !palette && spp > base;
    Info.Width = static_cast<int>(width);
    Info.Height = static_cast<int>(height);
    Info.Channels = base + (alpha ? 1 : 0);
    Info.BitsPerSample = bps;
    Info.Float = Float_;
    if (palette) {
      Info.Palette = true;
      Info.Channels = 3;
      Info.BitsPerSample = 8;
      std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
      if (!TIFFGetField(Tif_, TIFFTAG_COLORMAP, &r, &g, &b)) Fail("TIFF: the palette is missing");
      const std::size_t entries = std::size_t(1) << bps;
      for (std::size_t i = 0; i < entries; ++i)
        for (const std::uint16_t* c : {r, g, b}) Palette_.push_back(SampleOf(c[i] >> 8, 255));
    }
    Info.Traits.Type = TImageFileType::Tiff;
    Info.Traits.Orientation = orientation;
    Info.Traits.Compression = compression;
    Info.Traits.Predictor = predictor;
  }

  void ReadRows(float* to, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Info.Width) * Info.Channels;
    for (int r = 0; r < rows; ++r, ++Row_, to += samples) {
      const unsigned char* p = nullptr;
      if (Whole_) {
        if (Image_.empty()) DecodeWhole();
        p = Image_.data() + PixelBytes() * static_cast<std::size_t>(Info.Width) * static_cast<std::size_t>(Row_);
      } else {
        Raw_.resize(static_cast<std::size_t>(TIFFScanlineSize64(Tif_)));
        if (TIFFReadScanline(Tif_, Raw_.data(), static_cast<std::uint32_t>(Row_), 0) < 0)
          Fail("TIFF: row " + std::to_string(Row_) + " cannot be decoded");
        p = Raw_.data();
      }
      Convert(p, to);
    }
  }

 private:
  std::size_t PixelBytes() const { return static_cast<std::size_t>(Spp_) * (Bps_ / 8); }

  // The whole picture as interleaved samples, from tiles or separate planes.
  void DecodeWhole() {
    const std::size_t w = static_cast<std::size_t>(Info.Width), h = static_cast<std::size_t>(Info.Height);
    const std::size_t bytes = Bps_ / 8, pixel = PixelBytes();
    Image_.assign(w * h * pixel, 0);
    const int planes = Separate_ ? Spp_ : 1;
    const std::size_t perPixel = Separate_ ? bytes : pixel;
    std::uint32_t tw = static_cast<std::uint32_t>(w), th = 0;
    if (TIFFIsTiled(Tif_)) {
      TIFFGetField(Tif_, TIFFTAG_TILEWIDTH, &tw);
      TIFFGetField(Tif_, TIFFTAG_TILELENGTH, &th);
    } else {
      TIFFGetFieldDefaulted(Tif_, TIFFTAG_ROWSPERSTRIP, &th);
      th = std::min<std::uint32_t>(th, static_cast<std::uint32_t>(h));
    }
    if (tw == 0 || th == 0) Fail("TIFF: Illegal image dimensions");
    Raw_.resize(static_cast<std::size_t>(TIFFIsTiled(Tif_) ? TIFFTileSize64(Tif_) : TIFFStripSize64(Tif_)));
    for (int plane = 0; plane < planes; ++plane)
      for (std::size_t y0 = 0; y0 < h; y0 += th)
        for (std::size_t x0 = 0; x0 < w; x0 += tw) {
          const tmsize_t got =
              TIFFIsTiled(Tif_)
                  ? TIFFReadTile(Tif_, Raw_.data(), static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0), 0,
                                 static_cast<std::uint16_t>(plane))
                  : TIFFReadEncodedStrip(Tif_, TIFFComputeStrip(Tif_, static_cast<std::uint32_t>(y0),
                                                                static_cast<std::uint16_t>(plane)),
                                         Raw_.data(), static_cast<tmsize_t>(Raw_.size()));
          if (got < 0) Fail("TIFF: the pixels from row " + std::to_string(y0) + " cannot be decoded");
          for (std::size_t y = y0; y < std::min<std::size_t>(h, y0 + th); ++y)
            for (std::size_t x = x0; x < std::min<std::size_t>(w, x0 + tw); ++x) {
              const std::size_t from = ((y - y0) * tw + (x - x0)) * perPixel;
              if (from + perPixel > static_cast<std::size_t>(got)) continue;
              std::memcpy(&Image_[(y * w + x) * pixel + (Separate_ ? plane * bytes : 0)], &Raw_[from], perPixel);
            }
        }
  }

  float Sample(const unsigned char* row, std::size_t index) const {
    switch (Bps_) {
      case 8: return SampleOf(row[index], 255);
      case 16: {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * index, 2);
        return SampleOf(v, 65535);
      }
      case 32: {
        float v;
        std::memcpy(&v, row + 4 * index, 4);
        return v;
      }
      default: {
        const std::size_t bit = index * Bps_;
        const std::uint32_t max = (1u << Bps_) - 1;
        return SampleOf(static_cast<std::uint32_t>(row[bit / 8] >> (8 - Bps_ - bit % 8)) & max, max);
      }
    }
  }

  void Convert(const unsigned char* p, float* to) const {
    const int c = Info.Channels;
    for (int x = 0; x < Info.Width; ++x, to += c) {
      const std::size_t first = static_cast<std::size_t>(x) * Spp_;
      if (Info.Palette) {
        const std::uint32_t max = (1u << Bps_) - 1;
        const auto index = static_cast<std::size_t>(std::lround(Sample(p, first) * static_cast<float>(max)));
        std::copy_n(&Palette_[3 * index], 3, to);
        continue;
      }
      for (int i = 0; i < c; ++i) to[i] = Sample(p, first + static_cast<std::size_t>(i));
      if (Photometric_ == PHOTOMETRIC_MINISWHITE) to[0] = Float_ ? -to[0] : 1.0f - to[0];
    }
  }

  [[noreturn]] void Fail(const std::string& fallback) {
    std::string message = Io_.Message.empty() ? fallback : "TIFF: " + Io_.Message;
    throw EImageError("The picture \"" + File_.Name + "\" cannot be read. " + message);
  }

  TPictureFile File_;
  TTiffIo Io_;
  TTiffHandle Tif_;
  std::uint16_t Photometric_ = PHOTOMETRIC_MINISBLACK;
  int Bps_ = 8;
  int Spp_ = 1;
  bool Float_ = false;
  bool Whole_ = false;
  bool Separate_ = false;
  int Row_ = 0;
  std::vector<float> Palette_;
  std::vector<unsigned char> Raw_, Image_;
};

bool KeptCompression(int compression) {
  switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_ZSTD:
    case COMPRESSION_LZMA:
      return TIFFIsCODECConfigured(static_cast<std::uint16_t>(compression)) != 0;
    default: return false;
  }
}

class TTiffWriter final : public TPictureWriter {
 public:
  TTiffWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target) {
    Io_.Sink = &sink;
    Tif_ = OpenTiff(Io_, target.Name.c_str(), "w");
    if (!Tif_) Fail();
    Bps_ = target.Float ? 32 : target.BitsPerSample > 8 ? 16 : 8;
    const bool same = target.Traits.Type == TImageFileType::Tiff;
    const int compression = same && KeptCompression(target.Traits.Compression) ? target.Traits.Compression
                                                                                : COMPRESSION_LZW;
    int predictor = target.Float ? PREDICTOR_FLOATINGPOINT : PREDICTOR_HORIZONTAL;
    if (same) predictor = target.Traits.Predictor;
    if (compression != COMPRESSION_LZW && compression != COMPRESSION_ADOBE_DEFLATE &&
        compression != COMPRESSION_DEFLATE && compression != COMPRESSION_ZSTD && compression != COMPRESSION_LZMA)
      predictor = PREDICTOR_NONE;
    if (predictor == PREDICTOR_FLOATINGPOINT && !target.Float) predictor = PREDICTOR_HORIZONTAL;
    if (predictor != PREDICTOR_NONE && predictor != PREDICTOR_HORIZONTAL && predictor != PREDICTOR_FLOATINGPOINT)
      predictor = PREDICTOR_NONE;
    const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(Tif_, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(target.Width));
    TIFFSetField(Tif_, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(target.Height));
    TIFFSetField(Tif_, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(target.Channels));
    TIFFSetField(Tif_, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(Bps_));
    TIFFSetField(Tif_, TIFFTAG_SAMPLEFORMAT, target.Float ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
    TIFFSetField(Tif_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(Tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (target.Channels == 4) TIFFSetField(Tif_, TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(Tif_, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(compression));
    if (predictor != PREDICTOR_NONE) TIFFSetField(Tif_, TIFFTAG_PREDICTOR, static_cast<std::uint16_t>(predictor));
    TIFFSetField(Tif_, TIFFTAG_ORIENTATION,
                 static_cast<std::uint16_t>(same && target.Traits.Orientation >= 1 && target.Traits.Orientation <= 8
                                                ? target.Traits.Orientation
                                                : ORIENTATION_TOPLEFT));
    const std::size_t rowBytes = static_cast<std::size_t>(target.Width) * target.Channels * (Bps_ / 8);
    TIFFSetField(Tif_, TIFFTAG_ROWSPERSTRIP,
                 static_cast<std::uint32_t>(std::max<std::size_t>(1, (std::size_t(256) << 10) / rowBytes)));
  }

  void WriteRows(const float* from, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Target_.Width) * Target_.Channels;
    Raw_.resize(samples * (Bps_ / 8));
    for (int r = 0; r < rows; ++r, ++Row_, from += samples) {
      unsigned char* q = Raw_.data();
      if (Bps_ == 32) {
        std::memcpy(q, from, samples * 4);
      } else if (Bps_ == 16) {
        for (std::size_t i = 0; i < samples; ++i) {
          const auto v = static_cast<std::uint16_t>(CodeOf(from[i], 65535));
          std::memcpy(q + 2 * i, &v, 2);
        }
      } else {
        for (std::size_t i = 0; i < samples; ++i) q[i] = static_cast<unsigned char>(CodeOf(from[i], 255));
      }
      if (TIFFWriteScanline(Tif_, q, static_cast<std::uint32_t>(Row_), 0) < 0) Fail();
    }
  }

  void Finish() override {
    if (!TIFFWriteDirectory(Tif_)) Fail();
    Tif_.Close();
  }

 private:
  [[noreturn]] void Fail() {
    throw EImageError("Cannot encode the picture \"" + Target_.Name + "\"" +
                      (Io_.Message.empty() ? std::string() : ": " + Io_.Message) + ".");
  }

  TPictureTarget Target_;
  TTiffIo Io_;
  TTiffHandle Tif_;
  int Bps_ = 8;
  int Row_ = 0;
  std::vector<unsigned char> Raw_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenTiffReader(const TPictureFile& file) {
  return std::make_unique<TTiffReader>(file);
}

std::unique_ptr<TPictureWriter> MakeTiffWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TTiffWriter>(target, sink);
}
