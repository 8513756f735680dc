// TGA: an 18-byte header, an optional name and colour map, then the pixels,
// plain or run-length coded, read and written here.
//
//   0 name length   1 colour map type   2 image type (1 mapped, 2 true colour,
//   3 grey; 9, 10, 11 the same run-length coded)   3 first map entry
//   5 map length   7 map entry bits   12 width   14 height   16 pixel bits
//   17 descriptor: alpha bits (0-3), right to left (4), top down (5)
//
// Pixels are B, G, R (and A), little-endian 16-bit ones 5-5-5. A run-length
// packet is a count byte (top bit: one pixel repeated count+1 times, else
// count+1 literal pixels).
//
// Quirks, and why:
// - Rows are delivered top to bottom whatever the file's order. A bottom-up
//   run-length file is walked once to note where each row's packets start,
//   so no more than a row is ever held.
// - A picture's origin and its run-length coding are kept when it is
//   written back as TGA; anything else is written top down, uncompressed.
#include <algorithm>
#include <cstring>

#include "image/codecs/PictureCodec.h"

namespace {

// Where a run-length coded row starts: the packet's offset and how far into
// it the row begins.
struct TRunState {
  std::uint64_t At = 0;
  int Done = 0;  // pixels of the packet at At already used by earlier rows
};

class TTgaReader final : public TPictureReader {
 public:
  explicit TTgaReader(const TPictureFile& file) : File_(file) {
    unsigned char h[18];
    if (!ReadFileAt(file, 0, h, sizeof h)) RaiseTruncated(file.Name, "its 18-byte header is incomplete");
    const int type = h[2];
    Rle_ = type >= 9;
    Kind_ = Rle_ ? type - 8 : type;
    const int mapType = h[1];
    const int mapFirst = Get16(h + 3, false), mapLength = Get16(h + 5, false), mapBits = h[7];
    const int width = Get16(h + 12, false), height = Get16(h + 14, false);
    Bits_ = h[16];
    const int alphaBits = h[17] & 15;
    RightToLeft_ = (h[17] & 0x10) != 0;
    TopDown_ = (h[17] & 0x20) != 0;
    if ((Kind_ != 1 && Kind_ != 2 && Kind_ != 3) || mapType > 1 || (Kind_ == 1) != (mapType == 1))
      RaiseDamaged(file.Name, "it is not a TGA picture of a known type (" + std::to_string(type) + ")");
    const bool bitsOk = Kind_ == 1 ? Bits_ == 8
                        : Kind_ == 3 ? Bits_ == 8 || Bits_ == 16
                                     : Bits_ == 15 || Bits_ == 16 || Bits_ == 24 || Bits_ == 32;
    if (!bitsOk) RaiseDamaged(file.Name, "it has " + std::to_string(Bits_) + " bits per pixel");
    if (width == 0 || height == 0) RaiseDamaged(file.Name, "it declares no pixels");
    PixelBytes_ = (Bits_ + 7) / 8;
    std::uint64_t at = 18 + h[0];
    Info.Width = width;
    Info.Height = height;
    Info.BitsPerSample = 8;
    if (Kind_ == 3) {
      Info.Channels = Bits_ == 16 ? 2 : 1;
    } else if (Kind_ == 2) {
      Info.Channels = Bits_ == 32 && alphaBits > 0 ? 4 : 3;
    } else {
      Info.Palette = true;
      if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
        RaiseDamaged(file.Name, "its colour map has " + std::to_string(mapBits) + "-bit entries");
      Info.Channels = mapBits == 32 && alphaBits > 0 ? 4 : 3;
    }
    if (mapType == 1) {
      const std::size_t entryBytes = static_cast<std::size_t>(mapBits + 7) / 8;
      std::vector<unsigned char> map(entryBytes * mapLength);
      if (!ReadFileAt(file, at, map.data(), map.size()))
        RaiseTruncated(file.Name, "its colour map of " + std::to_string(mapLength) + " entries is incomplete");
      Map_.assign(256 * 4, 0.0f);
      for (int i = 0; i < mapLength; ++i) {
        const int index = mapFirst + i;
        if (index < 256) Colour(map.data() + entryBytes * i, mapBits, Map_.data() + 4 * index);
      }
      at += map.size();
    }
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    if (!Rle_ && (at > file.Size || pixels * PixelBytes_ > file.Size - at))
      RaiseTruncated(file.Name, "its " + std::to_string(width) + " x " + std::to_string(height) +
                                    " pixels need " + std::to_string(pixels * PixelBytes_) +
                                    " bytes from byte " + std::to_string(at) + ", the file has " +
                                    std::to_string(file.Size));
    if (Rle_ && pixels > (file.Size - std::min(file.Size, at)) * 128)
      RaiseTruncated(file.Name, "its run-length data is too short for " + std::to_string(width) + " x " +
                                    std::to_string(height) + " pixels");
    Data_ = at;
    Info.Traits.Type = TImageFileType::Tga;
    Info.Traits.Orientation = h[17] >> 4 & 3;
    Info.Traits.Compression = Rle_ ? 1 : 0;
    if (Rle_ && !TopDown_) FindRowStarts();
    Run_.At = Data_;
  }

  void ReadRows(float* to, int rows) override {
    const std::size_t rowBytes = static_cast<std::size_t>(Info.Width) * PixelBytes_;
    Raw_.resize(rowBytes);
    for (int r = 0; r < rows; ++r, ++Row_, to += static_cast<std::size_t>(Info.Width) * Info.Channels) {
      const int fileRow = TopDown_ ? Row_ : Info.Height - 1 - Row_;
      if (!Rle_) {
        if (!ReadFileAt(File_, Data_ + rowBytes * static_cast<std::uint64_t>(fileRow), Raw_.data(), rowBytes))
          RaiseTruncated(File_.Name, "row " + std::to_string(fileRow) + " cannot be read");
      } else {
        if (!TopDown_) Run_ = Starts_[static_cast<std::size_t>(fileRow)];
        Unpack(Run_, Raw_.data(), Info.Width);
      }
      Convert(Raw_.data(), to);
    }
  }

 private:
  // One entry or pixel of `bits` into R, G, B, A floats.
  static void Colour(const unsigned char* p, int bits, float* rgba) {
    if (bits == 15 || bits == 16) {
      const int v = p[0] | p[1] << 8;
      rgba[0] = SampleOf(static_cast<std::uint32_t>(v >> 10 & 31), 31);
      rgba[1] = SampleOf(static_cast<std::uint32_t>(v >> 5 & 31), 31);
      rgba[2] = SampleOf(static_cast<std::uint32_t>(v & 31), 31);
      rgba[3] = 1.0f;
      return;
    }
    rgba[0] = SampleOf(p[2], 255);
    rgba[1] = SampleOf(p[1], 255);
    rgba[2] = SampleOf(p[0], 255);
    rgba[3] = bits == 32 ? SampleOf(p[3], 255) : 1.0f;
  }

  void Convert(const unsigned char* p, float* to) const {
    const int c = Info.Channels;
    for (int x = 0; x < Info.Width; ++x, p += PixelBytes_) {
      float* q = to + static_cast<std::size_t>(RightToLeft_ ? Info.Width - 1 - x : x) * c;
      if (Kind_ == 3) {
        q[0] = SampleOf(p[0], 255);
        if (c == 2) q[1] = SampleOf(p[1], 255);
        continue;
      }
      float rgba[4];
      if (Kind_ == 1) {
        std::copy_n(Map_.data() + 4 * p[0], 4, rgba);
      } else {
        Colour(p, Bits_, rgba);
      }
      std::copy_n(rgba, c, q);
    }
  }

  // count pixels from the run state into `to`, advancing it.
  void Unpack(TRunState& run, unsigned char* to, int count) {
    while (count > 0) {
      unsigned char packet[1 + 4 * 128];
      if (!ReadFileAt(File_, run.At, packet, 1))
        RaiseTruncated(File_.Name, "its run-length data ends at byte " + std::to_string(run.At));
      const int length = (packet[0] & 0x7F) + 1;
      const bool repeat = (packet[0] & 0x80) != 0;
      const std::size_t body = static_cast<std::size_t>(repeat ? 1 : length) * PixelBytes_;
      if (!ReadFileAt(File_, run.At + 1, packet + 1, body))
        RaiseTruncated(File_.Name, "its run-length data ends at byte " + std::to_string(run.At));
      const int take = std::min(count, length - run.Done);
      for (int i = 0; i < take; ++i, to += PixelBytes_)
        std::memcpy(to, packet + 1 + (repeat ? 0 : static_cast<std::size_t>(run.Done + i) * PixelBytes_),
                    static_cast<std::size_t>(PixelBytes_));
      count -= take;
      run.Done += take;
      if (run.Done == length) {
        run.At += 1 + body;
        run.Done = 0;
      }
    }
  }

  // One pass over the packets, noting where each row starts.
  void FindRowStarts() {
    Starts_.resize(static_cast<std::size_t>(Info.Height));
    TRunState run{Data_, 0};
    for (int y = 0; y < Info.Height; ++y) {
      Starts_[static_cast<std::size_t>(y)] = run;
      int count = Info.Width;
      while (count > 0) {
        unsigned char c;
        if (!ReadFileAt(File_, run.At, &c, 1))
          RaiseTruncated(File_.Name, "its run-length data ends at row " + std::to_string(y));
        const int length = (c & 0x7F) + 1;
        const int take = std::min(count, length - run.Done);
        count -= take;
        run.Done += take;
        if (run.Done == length) {
          run.At += 1 + static_cast<std::uint64_t>((c & 0x80) ? 1 : length) * PixelBytes_;
          run.Done = 0;
        }
      }
    }
  }

  TPictureFile File_;
  bool Rle_ = false;
  int Kind_ = 2;
  int Bits_ = 24;
  int PixelBytes_ = 3;
  bool RightToLeft_ = false;
  bool TopDown_ = false;
  std::uint64_t Data_ = 0;
  std::vector<float> Map_;
  std::vector<TRunState> Starts_;
  TRunState Run_;
  int Row_ = 0;
  std::vector<unsigned char> Raw_;
};

class TTgaWriter final : public TPictureWriter {
 public:
  TTgaWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target), Sink_(sink) {
    const bool same = target.Traits.Type == TImageFileType::Tga;
    Rle_ = same && target.Traits.Compression == 1;
    // Bottom-up is kept for a plain file, whose rows can be placed anywhere.
    BottomUp_ = same && !Rle_ && (target.Traits.Orientation & 2) == 0;
    PixelBytes_ = target.Channels == 4 ? 4 : 3;
    unsigned char h[18] = {};
    h[2] = Rle_ ? 10 : 2;
    Put16(h + 12, static_cast<std::uint16_t>(target.Width), false);
    Put16(h + 14, static_cast<std::uint16_t>(target.Height), false);
    h[16] = static_cast<unsigned char>(8 * PixelBytes_);
    h[17] = static_cast<unsigned char>((PixelBytes_ == 4 ? 8 : 0) | (BottomUp_ ? 0 : 0x20));
    Sink_.WriteAt(0, h, sizeof h);
    At_ = sizeof h;
  }

  void WriteRows(const float* from, int rows) override {
    const std::size_t rowBytes = static_cast<std::size_t>(Target_.Width) * PixelBytes_;
    Row_.resize(rowBytes);
    for (int r = 0; r < rows; ++r, ++Y_, from += static_cast<std::size_t>(Target_.Width) * Target_.Channels) {
      unsigned char* q = Row_.data();
      const float* p = from;
      for (int x = 0; x < Target_.Width; ++x, p += Target_.Channels, q += PixelBytes_) {
        q[0] = static_cast<unsigned char>(CodeOf(p[2], 255));
        q[1] = static_cast<unsigned char>(CodeOf(p[1], 255));
        q[2] = static_cast<unsigned char>(CodeOf(p[0], 255));
        if (PixelBytes_ == 4) q[3] = static_cast<unsigned char>(CodeOf(p[3], 255));
      }
      if (Rle_) {
        WriteRunLength();
      } else if (BottomUp_) {
        Sink_.WriteAt(18 + rowBytes * static_cast<std::uint64_t>(Target_.Height - 1 - Y_), Row_.data(), rowBytes);
      } else {
        Sink_.WriteAt(At_, Row_.data(), rowBytes);
        At_ += rowBytes;
      }
    }
  }

 private:
  // The row as packets of up to 128 pixels: runs of 2 or more repeated,
  // the rest literal.
  void WriteRunLength() {
    const int w = Target_.Width;
    const std::size_t n = static_cast<std::size_t>(PixelBytes_);
    auto same = [&](int a, int b) { return std::memcmp(&Row_[a * n], &Row_[b * n], n) == 0; };
    Packed_.clear();
    for (int x = 0; x < w;) {
      int run = 1;
      while (x + run < w && run < 128 && same(x, x + run)) ++run;
      if (run >= 2) {
        Packed_.push_back(static_cast<unsigned char>(0x80 | (run - 1)));
        Packed_.insert(Packed_.end(), &Row_[x * n], &Row_[x * n] + n);
        x += run;
        continue;
      }
      int literal = 1;
      while (x + literal < w && literal < 128 && !(x + literal + 1 < w && same(x + literal, x + literal + 1)))
        ++literal;
      Packed_.push_back(static_cast<unsigned char>(literal - 1));
      Packed_.insert(Packed_.end(), &Row_[x * n], &Row_[x * n] + n * literal);
      x += literal;
    }
    Sink_.WriteAt(At_, Packed_.data(), Packed_.size());
    At_ += Packed_.size();
  }

  TPictureTarget Target_;
  IByteSink& Sink_;
  bool Rle_ = false;
  bool BottomUp_ = false;
  int PixelBytes_ = 3;
  int Y_ = 0;
  std::uint64_t At_ = 0;
  std::vector<unsigned char> Row_, Packed_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenTgaReader(const TPictureFile& file) {
  return std::make_unique<TTgaReader>(file);
}

std::unique_ptr<TPictureWriter> MakeTgaWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TTgaWriter>(target, sink);
}
