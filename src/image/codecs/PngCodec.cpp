// PNG through libpng: every colour type and depth read, 8- and 16-bit RGB
// and RGBA written with the row filters and compression level that libpng
// chooses by default, as image tools write them.
//
// Quirks, and why:
// - libpng reports errors by jumping back to the call that set its jump
//   buffer; no C++ object is made or changed between the jump buffer and a
//   jump back to it, and the message is raised once back in C++.
// - Palettes, grey below 8 bits and transparency chunks are expanded by
//   libpng: a palette becomes RGB (RGBA with transparency), low grey 8-bit.
// - An interlaced picture's rows are only final after its last pass: it is
//   decoded whole on the first request.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "image/codecs/PictureCodec.h"

namespace {

struct TPngIo {
  const TPictureFile* File = nullptr;
  std::uint64_t At = 0;
  bool RanOut = false;
  TSequentialSink* Out = nullptr;
  char Message[200] = {};
};

void PngError(png_structp png, png_const_charp message) {
  auto* io = static_cast<TPngIo*>(png_get_error_ptr(png));
  std::snprintf(io->Message, sizeof io->Message, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep to, png_size_t n) {
  auto* io = static_cast<TPngIo*>(png_get_io_ptr(png));
  if (!ReadFileAt(*io->File, io->At, to, n)) {
    io->RanOut = true;
    png_error(png, "the file ends");
  }
  io->At += n;
}

void PngWrite(png_structp png, png_bytep from, png_size_t n) {
  static_cast<TPngIo*>(png_get_io_ptr(png))->Out->Write(from, n);
}

void PngFlush(png_structp) {}

// libpng's structures, freed however the codec object ends (a constructor
// that raises included).
struct TReadHandles {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TReadHandles() { png_destroy_read_struct(&Png, &Info, nullptr); }
};

struct TWriteHandles {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TWriteHandles() { png_destroy_write_struct(&Png, &Info); }
};

class TPngReader final : public TPictureReader {
 public:
  explicit TPngReader(const TPictureFile& file) : File_(file) {
    Io_.File = &File_;
    Png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &Io_, PngError, PngWarning);
    if (Png_) Info_ = png_create_info_struct(Png_);
    if (!Png_ || !Info_) throw EImageError("Cannot decode the picture \"" + file.Name + "\".");
    if (!CallCatchingJump(png_jmpbuf(Png_), [this] { Start(); })) Fail();
  }

  void ReadRows(float* to, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Info.Width) * Info.Channels;
    for (int r = 0; r < rows; ++r, ++Row_, to += samples) {
      const unsigned char* p = nullptr;
      if (Passes_ > 1) {
        if (Whole_.empty()) ReadWhole();
        p = Whole_.data() + RowBytes_ * static_cast<std::size_t>(Row_);
      } else {
        Raw_.resize(RowBytes_);
        if (!ReadRow(Raw_.data())) Fail();
        p = Raw_.data();
      }
      if (Depth_ == 16) {
        for (std::size_t i = 0; i < samples; ++i) to[i] = SampleOf(Get16(p + 2 * i, true), 65535);
      } else {
        SamplesOf8Bit(p, samples, to);
      }
    }
  }

  // 8-bit RGB rows, palettes expanded, straight into place, red and blue
  // then swapped.
  bool ReadBgrRows(std::uint8_t* to, int rows) override {
    if (Depth_ != 8 || Info.Channels != 3 || Passes_ > 1) return false;
    const std::size_t pitch = static_cast<std::size_t>(Info.Width) * 3;
    for (int r = 0; r < rows; ++r, ++Row_, to += pitch) {
      if (!ReadRow(to)) Fail();
      for (std::size_t i = 0; i < pitch; i += 3) std::swap(to[i], to[i + 2]);
    }
    return true;
  }

 private:
  // Jumps back to the library's jump buffer on an error.
  void Start() {
    png_set_read_fn(Png_, &Io_, PngRead);
    png_set_user_limits(Png_, MaxImageSide, MaxImageSide);
    png_set_chunk_malloc_max(Png_, 8u << 20);
    png_read_info(Png_, Info_);
    const int type = png_get_color_type(Png_, Info_);
    png_set_expand(Png_);
    Passes_ = png_set_interlace_handling(Png_);
    png_read_update_info(Png_, Info_);
    Info.Width = static_cast<int>(png_get_image_width(Png_, Info_));
    Info.Height = static_cast<int>(png_get_image_height(Png_, Info_));
    Info.Channels = png_get_channels(Png_, Info_);
    Depth_ = png_get_bit_depth(Png_, Info_);
    Info.BitsPerSample = Depth_;
    Info.Palette = type == PNG_COLOR_TYPE_PALETTE;
    RowBytes_ = png_get_rowbytes(Png_, Info_);
    Info.Traits.Type = TImageFileType::Png;
  }

  // One row of RowBytes_ bytes.
  bool ReadRow(unsigned char* to) {
    return CallCatchingJump(png_jmpbuf(Png_), [&] { png_read_row(Png_, to, nullptr); });
  }

  void ReadWhole() {
    Whole_.resize(RowBytes_ * static_cast<std::size_t>(Info.Height));
    Rows_.resize(static_cast<std::size_t>(Info.Height));
    for (std::size_t y = 0; y < Rows_.size(); ++y) Rows_[y] = Whole_.data() + RowBytes_ * y;
    if (!CallCatchingJump(png_jmpbuf(Png_), [this] { png_read_image(Png_, Rows_.data()); })) Fail();
  }

  [[noreturn]] void Fail() {
    const std::string message = Io_.Message[0] ? Io_.Message : "libpng refuses it";
    if (Info.Height == 0) {
      if (Io_.RanOut) RaiseTruncated(File_.Name, "its header is incomplete");
      RaiseDamaged(File_.Name, message);
    }
    if (Io_.RanOut || message == "Not enough image data")
      RaiseTruncated(File_.Name, "its image data runs out at row " + std::to_string(Row_));
    RaiseDamaged(File_.Name, "at row " + std::to_string(Row_) + ", " + message);
  }

  TPictureFile File_;
  TPngIo Io_;
  TReadHandles H_;
  png_structp& Png_ = H_.Png;
  png_infop& Info_ = H_.Info;
  int Passes_ = 1;
  int Depth_ = 8;
  int Row_ = 0;
  std::size_t RowBytes_ = 0;
  std::vector<unsigned char> Raw_, Whole_;
  std::vector<png_bytep> Rows_;
};

class TPngWriter final : public TPictureWriter {
 public:
  TPngWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target), Out_(sink) {
    Io_.Out = &Out_;
    Depth_ = target.Float || target.BitsPerSample > 8 ? 16 : 8;
    Png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &Io_, PngError, PngWarning);
    if (Png_) Info_ = png_create_info_struct(Png_);
    if (!Png_ || !Info_ || !CallCatchingJump(png_jmpbuf(Png_), [this] { Start(); })) Fail();
  }

  void WriteRows(const float* from, int rows) override {
    const std::size_t samples = static_cast<std::size_t>(Target_.Width) * Target_.Channels;
    Raw_.resize(samples * static_cast<std::size_t>(Depth_ / 8));
    for (int r = 0; r < rows; ++r, from += samples) {
      if (Depth_ == 16) {
        for (std::size_t i = 0; i < samples; ++i)
          Put16(&Raw_[2 * i], static_cast<std::uint16_t>(CodeOf(from[i], 65535)), true);
      } else {
        for (std::size_t i = 0; i < samples; ++i) Raw_[i] = static_cast<unsigned char>(CodeOf(from[i], 255));
      }
      if (!CallCatchingJump(png_jmpbuf(Png_), [this] { png_write_row(Png_, Raw_.data()); })) Fail();
    }
  }

  void Finish() override {
    if (!CallCatchingJump(png_jmpbuf(Png_), [this] { png_write_end(Png_, nullptr); })) Fail();
  }

 private:
  // Jumps back to the library's jump buffer on an error.
  void Start() {
    png_set_write_fn(Png_, &Io_, PngWrite, PngFlush);
    png_set_IHDR(Png_, Info_, static_cast<png_uint_32>(Target_.Width),
                 static_cast<png_uint_32>(Target_.Height), Depth_,
                 Target_.Channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(Png_, Info_);
  }

  [[noreturn]] void Fail() {
    throw EImageError("Cannot encode the picture \"" + Target_.Name + "\"" +
                      (Io_.Message[0] ? std::string(": ") + Io_.Message : std::string()) + ".");
  }

  TPictureTarget Target_;
  TSequentialSink Out_;
  TPngIo Io_;
  TWriteHandles H_;
  png_structp& Png_ = H_.Png;
  png_infop& Info_ = H_.Info;
  int Depth_ = 8;
  std::vector<unsigned char> Raw_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenPngReader(const TPictureFile& file) {
  return std::make_unique<TPngReader>(file);
}

std::unique_ptr<TPictureWriter> MakePngWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TPngWriter>(target, sink);
}
