// The three header walks: a run-length BMP's declared size, a JPEG's frame
// header, and the chunk lengths of a PNG.
#include "image/PictureHeader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// Reads through the file in blocks, so that walking many small segments or
// chunks costs one read per block and not one per segment.
class TBlockReader {
 public:
  TBlockReader(int fd, std::uint64_t size) : Fd_(fd), Size_(size) {}

  // n bytes (at most a block) at the offset; false past the end of the file.
  bool Read(std::uint64_t at, unsigned char* to, std::size_t n) {
    if (at + n > Size_ || n > sizeof Block_) return false;
    if (at < Start_ || at + n > Start_ + Length_) {
      const ssize_t got = ::pread(Fd_, Block_, sizeof Block_, static_cast<off_t>(at));
      if (got < static_cast<ssize_t>(n)) return false;
      Start_ = at;
      Length_ = static_cast<std::size_t>(got);
    }
    std::copy_n(Block_ + (at - Start_), n, to);
    return true;
  }

 private:
  int Fd_;
  std::uint64_t Size_;
  std::uint64_t Start_ = 0;
  std::size_t Length_ = 0;
  unsigned char Block_[1 << 16];
};

std::uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t BigEndian32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// BMP: "BM", the pixels' offset at 10, the information header's size at 14
// (40 or more for the run-length kinds), width at 18, height at 22
// (negative: rows top down), planes at 26, bits per pixel at 28, compression
// at 30 (0: none, 1: RLE8, 2: RLE4).
TPictureHeader BmpHeader(TBlockReader& file) {
  TPictureHeader header;
  unsigned char h[34];
  if (!file.Read(0, h, sizeof h) || h[0] != 'B' || h[1] != 'M') return header;
  const std::uint32_t compression = LittleEndian32(h + 30);
  const std::uint32_t infoSize = LittleEndian32(h + 14);
  if (compression == 0 && (infoSize == 40 || infoSize == 108 || infoSize == 124) && h[26] == 1 &&
      h[27] == 0 && h[28] == 24 && h[29] == 0) {
    const auto width = static_cast<std::int32_t>(LittleEndian32(h + 18));
    const std::int64_t height = static_cast<std::int32_t>(LittleEndian32(h + 22));
    if (width > 0 && height != 0 && height > INT32_MIN) {
      header.SizeKnown = true;
      header.Width = width;
      header.Height = static_cast<int>(std::abs(height));
    }
    return header;
  }
  if (infoSize < 40 || (compression != 1 && compression != 2)) return header;
  // Run-length coding is made for 8 (RLE8) or 4 (RLE4) bits per pixel; the
  // codec library decodes another depth declared with it past its buffers.
  const unsigned bits = static_cast<unsigned>(h[28] | h[29] << 8);
  if (bits != (compression == 1 ? 8u : 4u)) {
    header.Refusal = "The BMP picture declares run-length coding for " + std::to_string(bits) +
                     " bits per pixel; it is made for " + (compression == 1 ? "8" : "4") + ".";
    return header;
  }
  const std::int64_t height = static_cast<std::int32_t>(LittleEndian32(h + 22));
  header.SizeKnown = true;
  header.Width = static_cast<std::int32_t>(LittleEndian32(h + 18));
  header.Height = static_cast<int>(std::min<std::int64_t>(std::abs(height), INT32_MAX));
  return header;
}

// Real files have a few dozen segments before the frame header; a file of
// millions of tiny ones is refused rather than walked.
constexpr int MaxJpegSegments = 1000;

// JPEG: FF D8, then segments of FF, a marker and a 16-bit length (itself
// included), a run of FF being fill, up to the frame header (a marker C0 to
// CF but C4, C8 and CC) with the height and width at 5 and 7.
TPictureHeader JpegHeader(TBlockReader& file) {
  TPictureHeader header;
  unsigned char m[9];
  if (!file.Read(0, m, 2) || m[0] != 0xFF || m[1] != 0xD8) return header;
  std::uint64_t at = 2;
  for (int step = 0; step < MaxJpegSegments; ++step) {
    if (!file.Read(at, m, 4) || m[0] != 0xFF) return header;
    if (m[1] == 0xFF) {
      ++at;
      continue;
    }
    if (m[1] >= 0xC0 && m[1] <= 0xCF && m[1] != 0xC4 && m[1] != 0xC8 && m[1] != 0xCC) {
      if (!file.Read(at, m, sizeof m)) return header;
      header.SizeKnown = true;
      header.Height = m[5] << 8 | m[6];
      header.Width = m[7] << 8 | m[8];
      return header;
    }
    if (m[1] == 0xDA || m[1] == 0xD9) return header;  // the scan or the end: no frame
    at += 2 + static_cast<std::uint64_t>(m[2] << 8 | m[3]);
  }
  header.Refusal = "The picture has no frame header among its first " +
                   std::to_string(MaxJpegSegments) + " segments.";
  return header;
}

// PNG: the signature, then chunks of a 32-bit length, a type, the data and a
// CRC, up to IEND. A chunk that runs past the end of the file is refused:
// the codec would take a buffer of its length first. The size is the
// codec's to read (libpng allocates nothing for it on opening).
TPictureHeader PngHeader(TBlockReader& file, std::uint64_t size) {
  static constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  TPictureHeader header;
  unsigned char c[8];
  if (!file.Read(0, c, 8) || !std::equal(c, c + 8, signature)) return header;
  for (std::uint64_t at = 8; file.Read(at, c, 8);) {
    const std::uint64_t next = at + 12 + BigEndian32(c);
    if (next > size) {
      header.Refusal = "The picture is damaged: its chunk at byte " + std::to_string(at) +
                       " runs past the end of the file.";
      return header;
    }
    if (std::equal(c + 4, c + 8, "IEND")) break;
    at = next;
  }
  return header;
}

}  // namespace

TPictureHeader ReadPictureHeader(int fd, std::uint64_t size, TImageFileType type) {
  TBlockReader file(fd, size);
  switch (type) {
    case TImageFileType::Bmp: return BmpHeader(file);
    case TImageFileType::Jpeg: return JpegHeader(file);
    case TImageFileType::Png: return PngHeader(file, size);
    case TImageFileType::Tiff:
    case TImageFileType::Exr:
    case TImageFileType::Dpx:
    case TImageFileType::Tga: break;
  }
  return {};
}
