// What every picture codec offers the library: a reader that gives a
// picture's rows top to bottom, a few at a time, and a writer that takes them
// the same way. Rows are floats, R, G, B (or grey) and alpha last per pixel;
// integer files give code / (2^bits - 1) and take the nearest code back, float
// files give and take their values. One file per picture type implements
// them over its library (TIFF, JPEG, PNG, OpenEXR) or over its own short
// layout (BMP, DPX, TGA).
//
// Codecs raise EImageError with a message of ours; a library's own failure is
// caught inside the codec and its text passed on.
#pragma once

#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/ImageLib.h"

// An open picture file; the codec reads it by offset (pread), never by the
// descriptor's position.
struct TPictureFile {
  int Fd = -1;
  std::uint64_t Size = 0;
  std::string Name;  // as the user gave it, for messages
};

class TPictureReader {
 public:
  virtual ~TPictureReader() = default;
  // Filled when the reader is made: size, channels as delivered (1 grey,
  // 2 grey and alpha, 3 RGB, 4 RGBA), depth, float, palette, traits.
  TImageInfo Info;
  // The next `rows` rows into Width * Info.Channels floats per row. Raises
  // EImageError when the file's data runs out or is damaged.
  virtual void ReadRows(float* to, int rows) = 0;
  // The same rows as 24-bit pixels of blue, green, red (TBitmap's rows),
  // copied as stored where the file holds 8-bit RGB in that order or one a
  // swap away. False, nothing read, for any other layout: its rows come
  // through ReadRows. The answer is the same for every call on a reader.
  virtual bool ReadBgrRows(std::uint8_t* /*to*/, int /*rows*/) { return false; }
};

// The layout a writer is asked for; each type stores what it can hold of it.
struct TPictureTarget {
  int Width = 0;
  int Height = 0;
  int Channels = 3;  // 3 or 4
  int BitsPerSample = 8;
  bool Float = false;
  TPictureTraits Traits;  // kept where the type is the one it was read from
  std::string Name;       // the output's name, for messages
};

// Where a writer's bytes go: memory, or the file being written. Writes land
// at an offset, so that layouts written bottom up or patched at the end need
// no buffer of their own.
class IByteSink {
 public:
  virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
  // Bytes already written, read back (libtiff rereads its directory).
  virtual std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) = 0;
  virtual std::uint64_t Size() const = 0;

 protected:
  ~IByteSink() = default;
};

class TPictureWriter {
 public:
  virtual ~TPictureWriter() = default;
  // The next rows, Width * Channels floats each.
  virtual void WriteRows(const float* from, int rows) = 0;
  // The next rows as 24-bit pixels of blue, green, red (TBitmap's rows), for
  // a target of 3 channels at 8 bits; false, nothing written, where the type
  // takes them only through WriteRows.
  virtual bool WriteBgrRows(const std::uint8_t* /*from*/, int /*rows*/) { return false; }
  // After the last row: trailers, directories.
  virtual void Finish() {}
};

// The codecs, one per type. A reader has read and checked the header when it
// is made; pixels are decoded only by ReadRows.
std::unique_ptr<TPictureReader> OpenBmpReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenJpegReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenTiffReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenPngReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenExrReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenDpxReader(const TPictureFile& file);
std::unique_ptr<TPictureReader> OpenTgaReader(const TPictureFile& file);

std::unique_ptr<TPictureWriter> MakeBmpWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakeJpegWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakeTiffWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakePngWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakeExrWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakeDpxWriter(const TPictureTarget& target, IByteSink& sink);
std::unique_ptr<TPictureWriter> MakeTgaWriter(const TPictureTarget& target, IByteSink& sink);

// Shared helpers of the codecs.

// The nearest code of a sample, clipped to 0..maxCode (NaN gives 0).
inline std::uint32_t CodeOf(float v, std::uint32_t maxCode) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return maxCode;
  return static_cast<std::uint32_t>(std::lround(static_cast<double>(v) * maxCode));
}

inline float SampleOf(std::uint32_t code, std::uint32_t maxCode) {
  return static_cast<float>(code) / static_cast<float>(maxCode);
}

// Calls `call`, which goes into a C library that reports errors by jumping
// back to `jump` (libjpeg, libpng); false when it jumped. `call` makes no C++
// object that the jump would skip, and nothing it changes is read after a
// jump but the library's own state and the message kept by its handler.
template <class TCall>
bool CallCatchingJump(std::jmp_buf& jump, TCall&& call) {
  if (setjmp(jump)) return false;
  call();
  return true;
}

// n 8-bit codes as samples of 0..1.
inline void SamplesOf8Bit(const unsigned char* codes, std::size_t n, float* to) {
  for (std::size_t i = 0; i < n; ++i) to[i] = SampleOf(codes[i], 255);
}

// Exactly n bytes at the offset; false when the file ends first.
bool ReadFileAt(const TPictureFile& file, std::uint64_t offset, void* to, std::size_t n);

// "The picture "NAME" is damaged: WHAT."
[[noreturn]] void RaiseDamaged(const std::string& name, const std::string& what);
// "The picture "NAME" ends early: WHAT."
[[noreturn]] void RaiseTruncated(const std::string& name, const std::string& what);

std::uint16_t Get16(const unsigned char* p, bool bigEndian);
std::uint32_t Get32(const unsigned char* p, bool bigEndian);
void Put16(unsigned char* p, std::uint16_t v, bool bigEndian);
void Put32(unsigned char* p, std::uint32_t v, bool bigEndian);

// A sink over a growing block of memory.
class TMemorySink final : public IByteSink {
 public:
  explicit TMemorySink(std::vector<unsigned char>& bytes) : Bytes_(bytes) { Bytes_.clear(); }
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
  std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override;
  std::uint64_t Size() const override { return Bytes_.size(); }

 private:
  std::vector<unsigned char>& Bytes_;
};

// Writes one after the other through a sink.
class TSequentialSink {
 public:
  explicit TSequentialSink(IByteSink& sink) : Sink_(sink), At_(sink.Size()) {}
  void Write(const void* data, std::size_t size) {
    Sink_.WriteAt(At_, data, size);
    At_ += size;
  }
  std::uint64_t At() const { return At_; }

 private:
  IByteSink& Sink_;
  std::uint64_t At_;
};
