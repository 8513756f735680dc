// BMP: every layout in use, read here; written as 24-bit rows bottom up.
//
//   0 "BM"   10 offset of the pixels   14 information header size (12: the
//   old core header of 16-bit sizes; 40 and up)   18 width   22 height
//   (negative: top down)   28 bits per pixel   30 compression (0 none,
//   1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha)   46 colours used
//
// Rows are padded to four bytes. Palettes follow the information header
// (4 bytes an entry, 3 for the core header); bit-field masks follow a
// 40-byte header, or are inside a longer one.
//
// Quirks, and why:
// - Run-length pictures are expanded whole into one byte per pixel before
//   the first row is given: their rows cannot be found without walking all
//   the earlier ones. The header walk has bounded their size by the file's.
// - A 32-bit picture has alpha only when its header gives an alpha mask;
//   otherwise the fourth byte is padding, as most writers leave it.
#include <algorithm>
#include <bit>
#include <cstring>

#include "image/codecs/PictureCodec.h"

namespace {

struct TMask {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;
  explicit TMask(std::uint32_t mask = 0) : Mask(mask) {
    if (!mask) return;
    Shift = std::countr_zero(mask);
    Max = mask >> Shift;
  }
  float Of(std::uint32_t v) const {
    return Max ? static_cast<float>((v & Mask) >> Shift) / static_cast<float>(Max) : 1.0f;
  }
};

class TBmpReader final : public TPictureReader {
 public:
  explicit TBmpReader(const TPictureFile& file) : File_(file) {
    unsigned char h[14 + 124] = {};
    if (!ReadFileAt(file, 0, h, 14 + 12) || h[0] != 'B' || h[1] != 'M')
      RaiseDamaged(file.Name, "it does not start as a BMP file");
    const std::uint32_t infoSize = Get32(h + 14, false);
    if (infoSize != 12 && (infoSize < 40 || infoSize > 124))
      RaiseDamaged(file.Name, "its information header of " + std::to_string(infoSize) + " bytes is unknown");
    if (!ReadFileAt(file, 0, h, 14 + infoSize)) RaiseTruncated(file.Name, "its header is incomplete");
    std::int64_t width, height;
    int compression = 0;
    std::uint32_t used = 0;
    if (infoSize == 12) {
      width = Get16(h + 18, false);
      height = Get16(h + 20, false);
      Bits_ = Get16(h + 24, false);
    } else {
      width = static_cast<std::int32_t>(Get32(h + 18, false));
      height = static_cast<std::int32_t>(Get32(h + 22, false));
      Bits_ = Get16(h + 28, false);
      compression = static_cast<int>(Get32(h + 30, false));
      used = Get32(h + 46, false);
    }
    TopDown_ = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
      RaiseDamaged(file.Name, "it declares " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    Offset_ = Get32(h + 10, false);
    const bool rle = compression == 1 || compression == 2;
    if ((compression == 1 && Bits_ != 8) || (compression == 2 && Bits_ != 4) ||
        ((compression == 3 || compression == 6) && Bits_ != 16 && Bits_ != 32) ||
        (compression != 0 && !rle && compression != 3 && compression != 6) ||
        (Bits_ != 1 && Bits_ != 4 && Bits_ != 8 && Bits_ != 16 && Bits_ != 24 && Bits_ != 32))
      throw EImageError("The BMP picture \"" + file.Name + "\" has " + std::to_string(Bits_) +
                        " bits per pixel with compression " + std::to_string(compression) +
                        ", a layout that is not read.");
    Info.Width = static_cast<int>(width);
    Info.Height = static_cast<int>(height);
    Info.BitsPerSample = 8;
    Info.Channels = 3;
    if (Bits_ <= 8) {
      Info.Palette = true;
      const std::size_t entries = used && used < (1u << Bits_) ? used : (1u << Bits_);
      const std::size_t entryBytes = infoSize == 12 ? 3 : 4;
      std::vector<unsigned char> map(entries * entryBytes);
      if (!ReadFileAt(file, 14 + infoSize, map.data(), map.size()))
        RaiseTruncated(file.Name, "its palette is incomplete");
      Palette_.assign(256 * 3, 0.0f);
      for (std::size_t i = 0; i < entries; ++i)
        for (int c = 0; c < 3; ++c) Palette_[3 * i + c] = SampleOf(map[entryBytes * i + 2 - c], 255);
    } else if (Bits_ == 16 || Bits_ == 32) {
      std::uint32_t masks[4] = {Bits_ == 16 ? 0x7C00u : 0xFF0000u, Bits_ == 16 ? 0x3E0u : 0xFF00u,
                                Bits_ == 16 ? 0x1Fu : 0xFFu, 0};
      if (compression == 3 || compression == 6) {
        unsigned char m[16] = {};
        const std::uint64_t at = infoSize >= 52 ? 54 : 14 + infoSize;
        if (!ReadFileAt(file, at, m, compression == 6 || infoSize >= 56 ? 16 : 12))
          RaiseTruncated(file.Name, "its colour masks are incomplete");
        for (int i = 0; i < 4; ++i) masks[i] = Get32(m + 4 * i, false);
      }
      for (int i = 0; i < 4; ++i) Masks_[i] = TMask(masks[i]);
      if (Bits_ == 32 && masks[3] != 0) Info.Channels = 4;
    }
    RowBytes_ = ((static_cast<std::uint64_t>(width) * Bits_ + 31) / 32) * 4;
    if (rle) {
      Expand(compression == 2);
    } else if (Offset_ > file.Size || RowBytes_ * static_cast<std::uint64_t>(height) > file.Size - Offset_) {
      RaiseTruncated(file.Name, "its " + std::to_string(width) + " x " + std::to_string(height) +
                                    " pixels need " + std::to_string(RowBytes_ * height) +
                                    " bytes from byte " + std::to_string(Offset_) + ", the file has " +
                                    std::to_string(file.Size));
    }
    Info.Traits.Type = TImageFileType::Bmp;
  }

  // Uncompressed 24-bit rows are stored blue, green, red: each is read in
  // place, without its padding.
  bool ReadBgrRows(std::uint8_t* to, int rows) override {
    if (Bits_ != 24) return false;
    const std::size_t pitch = static_cast<std::size_t>(Info.Width) * 3;
    for (int r = 0; r < rows; ++r, ++Row_, to += pitch)
      if (!ReadFileAt(File_, Offset_ + RowBytes_ * FileRow(), to, pitch))
        RaiseTruncated(File_.Name, "row " + std::to_string(FileRow()) + " cannot be read");
    return true;
  }

  void ReadRows(float* to, int rows) override {
    Raw_.resize(RowBytes_);
    const int c = Info.Channels;
    for (int r = 0; r < rows; ++r, ++Row_, to += static_cast<std::size_t>(Info.Width) * c) {
      const std::uint64_t fileRow = FileRow();
      if (!Indices_.empty()) {
        const unsigned char* p = Indices_.data() + fileRow * static_cast<std::uint64_t>(Info.Width);
        for (int x = 0; x < Info.Width; ++x) std::copy_n(&Palette_[3 * p[x]], 3, to + 3 * x);
        continue;
      }
      if (!ReadFileAt(File_, Offset_ + RowBytes_ * fileRow, Raw_.data(), RowBytes_))
        RaiseTruncated(File_.Name, "row " + std::to_string(fileRow) + " cannot be read");
      const unsigned char* p = Raw_.data();
      float* q = to;
      for (int x = 0; x < Info.Width; ++x, q += c) {
        switch (Bits_) {
          case 24:
            q[0] = SampleOf(p[3 * x + 2], 255);
            q[1] = SampleOf(p[3 * x + 1], 255);
            q[2] = SampleOf(p[3 * x], 255);
            break;
          case 16:
          case 32: {
            const std::uint32_t v = Bits_ == 16 ? Get16(p + 2 * x, false) : Get32(p + 4 * x, false);
            for (int i = 0; i < c; ++i) q[i] = Masks_[i].Of(v);
            break;
          }
          default: {
            const int perByte = 8 / Bits_;
            const int byte = p[x / perByte];
            const int index = byte >> (8 - Bits_ * (x % perByte + 1)) & ((1 << Bits_) - 1);
            std::copy_n(&Palette_[3 * index], 3, q);
          }
        }
      }
    }
  }

 private:
  // Where the next row given is stored.
  std::uint64_t FileRow() const {
    return static_cast<std::uint64_t>(TopDown_ ? Row_ : Info.Height - 1 - Row_);
  }

  // Run-length data into one palette index per pixel, rows as stored.
  void Expand(bool four) {
    const std::uint64_t w = static_cast<std::uint64_t>(Info.Width), h = static_cast<std::uint64_t>(Info.Height);
    Indices_.assign(w * h, 0);
    if (Offset_ >= File_.Size) RaiseTruncated(File_.Name, "its pixel data is past the end of the file");
    std::vector<unsigned char> data(File_.Size - Offset_);
    if (!ReadFileAt(File_, Offset_, data.data(), data.size()))
      RaiseTruncated(File_.Name, "its pixel data cannot be read");
    std::uint64_t x = 0, y = 0;
    auto put = [&](int index) {
      if (x < w && y < h) Indices_[y * w + x] = static_cast<unsigned char>(index);
      ++x;
    };
    for (std::size_t i = 0; i + 1 < data.size() && y < h;) {
      const int n = data[i], v = data[i + 1];
      i += 2;
      if (n > 0) {
        for (int k = 0; k < n; ++k) put(four ? (k % 2 ? v & 15 : v >> 4) : v);
      } else if (v == 0) {
        x = 0;
        ++y;
      } else if (v == 1) {
        break;
      } else if (v == 2) {
        if (i + 1 >= data.size()) break;
        x += data[i];
        y += data[i + 1];
        i += 2;
      } else {
        const std::size_t bytes = four ? (static_cast<std::size_t>(v) + 1) / 2 : static_cast<std::size_t>(v);
        if (i + bytes > data.size()) break;
        for (int k = 0; k < v; ++k) put(four ? (k % 2 ? data[i + k / 2] & 15 : data[i + k / 2] >> 4) : data[i + k]);
        i += (bytes + 1) & ~std::size_t(1);
      }
    }
  }

  TPictureFile File_;
  int Bits_ = 24;
  bool TopDown_ = false;
  std::uint64_t Offset_ = 0;
  std::uint64_t RowBytes_ = 0;
  std::vector<float> Palette_;
  TMask Masks_[4];
  std::vector<unsigned char> Indices_;
  std::vector<unsigned char> Raw_;
  int Row_ = 0;
};

// 24 bits, a 40-byte information header, rows bottom up, the image size
// field filled.
class TBmpWriter final : public TPictureWriter {
 public:
  TBmpWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target), Sink_(sink) {
    RowBytes_ = (static_cast<std::uint64_t>(target.Width) * 3 + 3) & ~std::uint64_t(3);
    unsigned char h[54] = {};
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, static_cast<std::uint32_t>(54 + RowBytes_ * static_cast<std::uint64_t>(target.Height)), false);
    Put32(h + 10, 54, false);
    Put32(h + 14, 40, false);
    Put32(h + 18, static_cast<std::uint32_t>(target.Width), false);
    Put32(h + 22, static_cast<std::uint32_t>(target.Height), false);
    h[26] = 1;
    h[28] = 24;
    Put32(h + 34, static_cast<std::uint32_t>(target.Width) * static_cast<std::uint32_t>(target.Height), false);
    Sink_.WriteAt(0, h, sizeof h);
  }

  void WriteRows(const float* from, int rows) override {
    Row_.assign(RowBytes_, 0);
    const int c = Target_.Channels;
    for (int r = 0; r < rows; ++r, from += static_cast<std::size_t>(Target_.Width) * c) {
      for (int x = 0; x < Target_.Width; ++x)
        for (int i = 0; i < 3; ++i)
          Row_[3 * static_cast<std::size_t>(x) + 2 - i] = static_cast<unsigned char>(CodeOf(from[x * c + i], 255));
      PutRow();
    }
  }

  // The rows are the file's, less their padding.
  bool WriteBgrRows(const std::uint8_t* from, int rows) override {
    Row_.assign(RowBytes_, 0);
    const std::size_t pitch = static_cast<std::size_t>(Target_.Width) * 3;
    for (int r = 0; r < rows; ++r, from += pitch) {
      std::copy_n(from, pitch, Row_.data());
      PutRow();
    }
    return true;
  }

 private:
  // Row_ as the next row, bottom up.
  void PutRow() {
    Sink_.WriteAt(54 + RowBytes_ * static_cast<std::uint64_t>(Target_.Height - 1 - Y_), Row_.data(), Row_.size());
    ++Y_;
  }

  TPictureTarget Target_;
  IByteSink& Sink_;
  std::uint64_t RowBytes_ = 0;
  int Y_ = 0;
  std::vector<unsigned char> Row_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenBmpReader(const TPictureFile& file) {
  return std::make_unique<TBmpReader>(file);
}

std::unique_ptr<TPictureWriter> MakeBmpWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TBmpWriter>(target, sink);
}
