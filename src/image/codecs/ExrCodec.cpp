// OpenEXR through the OpenEXR library: scan-line and tiled pictures of R, G,
// B (or Y) and A, half, float or integer, read as floats; written as half or
// float RGB or RGBA.
//
// Quirks, and why:
// - The header is walked here before the library sees the file: the library
//   takes a buffer of each attribute's declared size, and of a line offset
//   table as long as the declared size makes it, before reading them, so a
//   small file could make it allocate gigabytes. Every attribute must fit in
//   the file, the data window must be within the size limits, and the offset
//   table must be in the file. The library reads an attribute of a fixed
//   type by its type's size and a channel list up to its end marker, not by
//   the size declared before them: those must agree, or the library's walk
//   and this one part ways and the next "size" it reads is any four bytes.
// - Deep pictures hold no plain pixels and are refused.
// - Written back as OpenEXR, a picture keeps its compression; any other is
//   written with ZIP.
// - Half holds 8-bit codes and half pictures exactly; deeper integer
//   pictures and float ones are written as float.
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#include <Iex.h>
#include <half.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/codecs/PictureCodec.h"

namespace {

class TExrInput final : public Imf::IStream {
 public:
  explicit TExrInput(const TPictureFile& file) : Imf::IStream(file.Name.c_str()), File_(file) {}
  bool read(char c[], int n) override {
    if (n < 0 || !ReadFileAt(File_, At_, c, static_cast<std::size_t>(n)))
      throw Iex::InputExc("the file ends at byte " + std::to_string(File_.Size));
    At_ += static_cast<std::uint64_t>(n);
    return At_ < File_.Size;
  }
  std::uint64_t tellg() override { return At_; }
  void seekg(std::uint64_t pos) override { At_ = pos; }

 private:
  TPictureFile File_;
  std::uint64_t At_ = 0;
};

class TExrOutput final : public Imf::OStream {
 public:
  TExrOutput(IByteSink& sink, const std::string& name) : Imf::OStream(name.c_str()), Sink_(sink) {}
  void write(const char c[], int n) override {
    Sink_.WriteAt(At_, c, static_cast<std::size_t>(n));
    At_ += static_cast<std::uint64_t>(n);
  }
  std::uint64_t tellp() override { return At_; }
  void seekp(std::uint64_t pos) override { At_ = pos; }

 private:
  IByteSink& Sink_;
  std::uint64_t At_ = 0;
};

int LinesPerChunk(int compression) {
  switch (compression) {
    case Imf::ZIP_COMPRESSION:
    case Imf::PXR24_COMPRESSION: return 16;
    case Imf::PIZ_COMPRESSION:
    case Imf::B44_COMPRESSION:
    case Imf::B44A_COMPRESSION:
    case Imf::DWAA_COMPRESSION: return 32;
    case Imf::DWAB_COMPRESSION: return 256;
    default: return 1;
  }
}

// The bytes the library reads for a value of each fixed-size type, whatever
// size the file declares for it; 0 for the types read by their declared size.
std::uint64_t FixedSizeOf(const char* type) {
  static const std::pair<const char*, std::uint64_t> sizes[] = {
      {"box2i", 16}, {"box2f", 16}, {"chromaticities", 32}, {"compression", 1},
      {"deepImageState", 1}, {"double", 8}, {"envmap", 1}, {"float", 4}, {"int", 4},
      {"keycode", 28}, {"lineOrder", 1}, {"m33d", 72}, {"m33f", 36}, {"m44d", 128}, {"m44f", 64},
      {"rational", 8}, {"tiledesc", 9}, {"timecode", 8}, {"v2d", 16}, {"v2f", 8}, {"v2i", 8},
      {"v3d", 24}, {"v3f", 12}, {"v3i", 12}};
  for (const auto& [name, size] : sizes)
    if (std::strcmp(name, type) == 0) return size;
  return 0;
}

// A name as the library reads one: up to its NUL, at most 255 characters;
// `at` moves past the NUL. Returns the name's length.
int ReadName(const TPictureFile& file, std::uint64_t& at, char (&text)[256]) {
  for (int n = 0;; ++n, ++at) {
    if (n == 255 || !ReadFileAt(file, at, &text[n], 1))
      RaiseDamaged(file.Name, "its header ends inside a name at byte " + std::to_string(at));
    if (text[n] == 0) {
      ++at;
      return n;
    }
  }
}

// Whether the library ends reading a channel list that starts at `at` where
// its declared size ends: entries of a name and 16 bytes, up to an empty name.
bool ChannelListEndsAt(const TPictureFile& file, std::uint64_t at, std::uint64_t end) {
  char name[256];
  for (;;) {
    if (at >= end) return false;
    if (ReadName(file, at, name) == 0) return at == end;
    at += 16;
  }
}

// The walk over the first part's header: every attribute within the file
// and read by the library as long as it is declared, the data window's size,
// and the offset table in the file.
void CheckHeader(const TPictureFile& file) {
  unsigned char start[8];
  if (!ReadFileAt(file, 0, start, sizeof start))
    RaiseTruncated(file.Name, "its 8-byte start is incomplete");
  if (Get32(start, false) != 20000630) RaiseDamaged(file.Name, "it does not start as an OpenEXR file");
  const std::uint32_t flags = Get32(start + 4, false);
  if (flags & 0x800)
    throw EImageError("The OpenEXR picture \"" + file.Name + "\" holds deep data; plain pictures are read.");
  const bool tiled = (flags & 0x200) != 0, multipart = (flags & 0x1000) != 0;
  std::uint64_t at = 8;
  long long width = 0, height = 0;
  int compression = 0;
  bool window = false;
  for (int part = 0;; ++part) {
    bool any = false;
    for (;;) {
      char name[2][256];
      if (ReadName(file, at, name[0]) == 0) break;
      ReadName(file, at, name[1]);
      any = true;
      unsigned char size[4];
      if (!ReadFileAt(file, at, size, 4)) RaiseTruncated(file.Name, "its header is incomplete");
      at += 4;
      const auto length = static_cast<std::int32_t>(Get32(size, false));
      if (length < 0 || static_cast<std::uint64_t>(length) > file.Size - std::min(file.Size, at))
        RaiseDamaged(file.Name, "its attribute \"" + std::string(name[0]) + "\" declares " +
                                    std::to_string(length) + " bytes at byte " + std::to_string(at) +
                                    ", past the end of the file's " + std::to_string(file.Size) + " bytes");
      const std::uint64_t fixed = FixedSizeOf(name[1]);
      if (fixed != 0 && fixed != static_cast<std::uint64_t>(length))
        RaiseDamaged(file.Name, "its attribute \"" + std::string(name[0]) + "\" of type " + name[1] + " declares a size of " +
                                    std::to_string(length) + "; that type's size is " + std::to_string(fixed));
      if (std::strcmp(name[1], "chlist") == 0 &&
          !ChannelListEndsAt(file, at, at + static_cast<std::uint64_t>(length)))
        RaiseDamaged(file.Name, "its channel list \"" + std::string(name[0]) + "\" does not end where its " +
                                    std::to_string(length) + " bytes do");
      if (part == 0 && std::strcmp(name[0], "dataWindow") == 0 && length == 16) {
        unsigned char box[16];
        ReadFileAt(file, at, box, 16);
        const auto v = [&](int i) { return static_cast<long long>(static_cast<std::int32_t>(Get32(box + 4 * i, false))); };
        width = v(2) - v(0) + 1;
        height = v(3) - v(1) + 1;
        window = true;
      }
      if (part == 0 && std::strcmp(name[0], "compression") == 0 && length == 1) {
        unsigned char c = 0;
        ReadFileAt(file, at, &c, 1);
        compression = c;
      }
      at += static_cast<std::uint64_t>(length);
    }
    if (!multipart || !any) break;
  }
  if (!window) RaiseDamaged(file.Name, "its header has no data window");
  if (width <= 0 || height <= 0 || width > MaxImageSide || height > MaxImageSide ||
      width * height > MaxImagePixels)
    throw EImageError("The picture \"" + file.Name + "\" is too large to load (" + std::to_string(width) +
                      " x " + std::to_string(height) + " pixels; at most " + std::to_string(MaxImageSide) +
                      " pixels per side and " + std::to_string(MaxImagePixels / 1'000'000) +
                      " million pixels).");
  if (!tiled && !multipart) {
    const std::uint64_t chunks = (static_cast<std::uint64_t>(height) + LinesPerChunk(compression) - 1) /
                                 static_cast<std::uint64_t>(LinesPerChunk(compression));
    if (at > file.Size || chunks * 8 > file.Size - at)
      RaiseTruncated(file.Name, "its table of " + std::to_string(chunks) + " row offsets is incomplete");
  }
}

class TExrReader final : public TPictureReader {
 public:
  explicit TExrReader(const TPictureFile& file) : Stream_(file), Name_(file.Name) {
    CheckHeader(file);
    try {
      In_ = std::make_unique<Imf::InputFile>(Stream_);
      const Imf::Header& header = In_->header();
      Window_ = header.dataWindow();
      const Imf::ChannelList& channels = header.channels();
      auto has = [&](const char* name) { return channels.findChannel(name) != nullptr; };
      if (has("R") || has("G") || has("B")) {
        Names_ = {"R", "G", "B"};
      } else if (has("Y")) {
        Names_ = {"Y"};
      } else if (channels.begin() != channels.end()) {
        Names_ = {channels.begin().name()};
      } else {
        RaiseDamaged(file.Name, "it has no channels");
      }
      if (has("A")) Names_.push_back("A");
      bool half = true;
      for (const std::string& name : Names_)
        if (const Imf::Channel* c = channels.findChannel(name.c_str())) {
          if (c->type != Imf::HALF) half = false;
          if (c->xSampling != 1 || c->ySampling != 1)
            throw EImageError("The OpenEXR picture \"" + file.Name + "\" has subsampled channels, which are not read.");
        }
      Info.Width = Window_.max.x - Window_.min.x + 1;
      Info.Height = Window_.max.y - Window_.min.y + 1;
      Info.Channels = static_cast<int>(Names_.size());
      Info.BitsPerSample = half ? 16 : 32;
      Info.Float = true;
      Info.Traits.Type = TImageFileType::Exr;
      Info.Traits.Compression = header.compression();
    } catch (const EImageError&) {
      throw;
    } catch (const std::exception& e) {
      RaiseDamaged(file.Name, e.what());
    }
  }

  void ReadRows(float* to, int rows) override {
    const std::size_t xStride = sizeof(float) * Info.Channels;
    const std::size_t yStride = xStride * static_cast<std::size_t>(Info.Width);
    const Imath::V2i origin(Window_.min.x, Window_.min.y + Row_);
    Imf::FrameBuffer frame;
    for (std::size_t i = 0; i < Names_.size(); ++i)
      frame.insert(Names_[i], Imf::Slice::Make(Imf::FLOAT, to + i, origin, Info.Width, rows, xStride, yStride, 1, 1,
                                               Names_[i] == "A" ? 1.0 : 0.0));
    try {
      In_->setFrameBuffer(frame);
      In_->readPixels(Window_.min.y + Row_, Window_.min.y + Row_ + rows - 1);
    } catch (const std::exception& e) {
      RaiseTruncated(Name_, "its rows from " + std::to_string(Row_) + " cannot be read (" + e.what() + ")");
    }
    Row_ += rows;
  }

 private:
  TExrInput Stream_;
  std::string Name_;
  std::unique_ptr<Imf::InputFile> In_;
  Imath::Box2i Window_;
  std::vector<std::string> Names_;
  int Row_ = 0;
};

class TExrWriter final : public TPictureWriter {
 public:
  TExrWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target), Stream_(sink, target.Name) {
    Half_ = target.Float ? target.BitsPerSample <= 16 : target.BitsPerSample <= 8;
    const bool half = Half_;
    Imf::Header header(target.Width, target.Height);
    header.compression() = target.Traits.Type == TImageFileType::Exr && target.Traits.Compression >= 0 &&
                                   target.Traits.Compression < Imf::NUM_COMPRESSION_METHODS
                               ? static_cast<Imf::Compression>(target.Traits.Compression)
                               : Imf::ZIP_COMPRESSION;
    for (int i = 0; i < target.Channels; ++i)
      header.channels().insert(Names[i], Imf::Channel(half ? Imf::HALF : Imf::FLOAT));
    try {
      Out_ = std::make_unique<Imf::OutputFile>(Stream_, header);
    } catch (const std::exception& e) {
      Fail(e);
    }
  }

  void WriteRows(const float* from, int rows) override {
    // The library takes the channels' own type: half samples are made here.
    const std::size_t samples = static_cast<std::size_t>(Target_.Width) * Target_.Channels * rows;
    const void* base = from;
    std::size_t size = sizeof(float);
    if (Half_) {
      Halves_.resize(samples);
      for (std::size_t i = 0; i < samples; ++i) Halves_[i] = Imath::half(from[i]);
      base = Halves_.data();
      size = sizeof(Imath::half);
    }
    const std::size_t xStride = size * Target_.Channels;
    const std::size_t yStride = xStride * static_cast<std::size_t>(Target_.Width);
    Imf::FrameBuffer frame;
    for (int i = 0; i < Target_.Channels; ++i)
      frame.insert(Names[i], Imf::Slice::Make(Half_ ? Imf::HALF : Imf::FLOAT,
                                              static_cast<const char*>(base) + size * static_cast<std::size_t>(i),
                                              Imath::V2i(0, Row_), Target_.Width, rows, xStride, yStride));
    try {
      Out_->setFrameBuffer(frame);
      Out_->writePixels(rows);
    } catch (const std::exception& e) {
      Fail(e);
    }
    Row_ += rows;
  }

  void Finish() override {
    try {
      Out_.reset();
    } catch (const std::exception& e) {
      Fail(e);
    }
  }

 private:
  static constexpr const char* Names[4] = {"R", "G", "B", "A"};

  [[noreturn]] void Fail(const std::exception& e) {
    throw EImageError("Cannot encode the picture \"" + Target_.Name + "\": " + e.what() + ".");
  }

  TPictureTarget Target_;
  TExrOutput Stream_;
  std::unique_ptr<Imf::OutputFile> Out_;
  bool Half_ = false;
  std::vector<Imath::half> Halves_;
  int Row_ = 0;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenExrReader(const TPictureFile& file) {
  return std::make_unique<TExrReader>(file);
}

std::unique_ptr<TPictureWriter> MakeExrWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TExrWriter>(target, sink);
}
