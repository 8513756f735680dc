// Image files in and out of TBitmap and TDeepPicture, each type through its
// own codec (image/codecs). Pictures of every depth and channel count come
// into a bitmap as 24-bit RGB (alpha is dropped, grey is spread over the three
// channels, deeper samples are rounded to 8 bits); every file goes out
// through the same crash-safe write as LUTs.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "image/Bitmap.h"

// An image that cannot be decoded or encoded; the message is the codec's own.
class EImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Exr and Dpx are read and written by the picture grading only: the Hald
// layouts and the preview keep to the first four (and Tga).
enum class TImageFileType { Bmp, Jpeg, Tiff, Png, Exr, Dpx, Tga };

// What a picture keeps beyond its pixels, carried to an output of the type
// it was read from (codes and meanings of that type; the writers' defaults
// otherwise).
struct TPictureTraits {
  std::optional<TImageFileType> Type;  // read from; none for pictures made here
  int Orientation = 1;   // TIFF tag, DPX orientation, TGA origin bits
  int Compression = -1;  // TIFF tag, OpenEXR method, TGA run-length (1)
  int Predictor = 1;     // TIFF
  bool BigEndian = true; // DPX
  int Transfer = 2;      // DPX transfer characteristic (2: linear)
  int Colorimetric = 2;  // DPX
};

// What a file held before it became a 24-bit bitmap.
struct TImageInfo {
  int Width = 0;
  int Height = 0;
  int Channels = 0;  // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
  int BitsPerSample = 0;
  bool Palette = false;  // indexed colours, expanded on decoding
  bool Float = false;    // half or float samples
  TPictureTraits Traits;
  // Plain 8-bit RGB without alpha or palette: what a Hald image must be.
  bool Is24Bit() const { return Channels == 3 && BitsPerSample == 8 && !Palette; }
};

// Larger pictures are refused before any pixel is decoded: nothing this
// program does with a picture needs more, and a forged header must not make
// it allocate gigabytes.
constexpr int MaxImageSide = 65535;
constexpr std::int64_t MaxImagePixels = 100'000'000;  // 300 MB at 24 bits
// The largest picture file read: an uncompressed picture of MaxImagePixels
// at 16 bits with alpha (800 MB) fits, a file of many gigabytes does not.
constexpr std::uint64_t MaxPictureFileSize = std::uint64_t(1) << 30;

// The name's extension with its dot, from the last "." of the file name
// (".bmp" for "a.bmp" and for ".bmp"; empty when there is no dot).
std::string FileExtension(const std::filesystem::path& fileName);

// The type an extension stands for (any letter case): .bmp, .jpg, .jpeg,
// .tif, .tiff, .png, .exr, .dpx, .tga; none for any other.
std::optional<TImageFileType> ImageFileTypeOf(const std::filesystem::path& fileName);

// Every reader takes the type from the extension and decodes with that
// type's codec alone: a file of another type under the name is refused, as
// are files that are not regular files, files above MaxPictureFileSize, and
// headers that declare more pixels than the limits or than the file can hold.

// The preview and Hald loader: only .bmp, .jpg, .jpeg, .tif, .tiff and .tga
// are read; any other extension raises "Unknown picture file extension (.ext)".
TImageInfo LoadImageToBitmap(const std::filesystem::path& fileName, TBitmap& bitmap);

// Decode a picture of any of the four types, .png included.
TImageInfo DecodeImageFile(const std::filesystem::path& fileName, TBitmap& bitmap);

// The file's size and sample layout from its header alone.
TImageInfo ReadImageInfo(const std::filesystem::path& fileName);

// A picture at its own depth, for the work that must not lose precision
// (graded 16-bit and float pictures, deep LUT pictures). Samples are floats,
// row by row, R, G, B (and A when the file has alpha) per pixel; integer
// files hold code / (2^bits - 1), which Code() gives back exactly.
struct TDeepPicture {
  int Width = 0;
  int Height = 0;
  int Channels = 3;  // 3 or 4 (RGBA); grey comes spread over R, G and B
  int BitsPerSample = 8;
  bool Float = false;  // half or float samples, not scaled to 0..1
  std::vector<float> Samples;
  TPictureTraits Traits;

  std::size_t Index(int x, int y) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
            static_cast<std::size_t>(x)) * static_cast<std::size_t>(Channels);
  }
  // The exact value of an integer sample, or the float as it is.
  double Value(std::size_t i) const {
    if (Float || BitsPerSample > 16) return Samples[i];
    const auto maxCode = static_cast<double>((1u << BitsPerSample) - 1);
    return std::nearbyint(Samples[i] * maxCode) / maxCode;
  }
};

// Decode any picture the codecs know, whatever its extension, at its own
// depth; the same size limits as DecodeImageFile.
TDeepPicture DecodeDeepImage(const std::filesystem::path& fileName);

// A picture read a strip of rows at a time, for work whose memory must not
// grow with the picture's height: opened and checked as DecodeDeepImage
// opens it, rows given top to bottom as TDeepPicture holds them. A file whose
// data runs out fails at the row where it does.
class TPictureRows {
 public:
  explicit TPictureRows(const std::filesystem::path& fileName);
  ~TPictureRows();
  TPictureRows(const TPictureRows&) = delete;
  TPictureRows& operator=(const TPictureRows&) = delete;

  // Size, channels (3 or 4), depth and traits; no samples.
  const TDeepPicture& Layout() const;
  // What the file holds (its own channel count: 1 to 4).
  const TImageInfo& Info() const;
  // The next rows, Layout().Channels floats per pixel.
  void Read(float* to, int rows);

  struct TState;  // the open file and its codec (ImageLib.cpp)
  explicit TPictureRows(std::unique_ptr<TState> state);

 private:
  void Init();
  std::unique_ptr<TState> State_;
};

// A picture written a strip of rows at a time into a temporary beside the
// target, put in place by Commit, as SaveDeepImage writes it: the layout
// (size, channels, depth, traits) of `layout` stored as the type holds it.
class TPictureRowWriter {
 public:
  TPictureRowWriter(const std::filesystem::path& fileName, const TDeepPicture& layout,
                    TImageFileType type);
  ~TPictureRowWriter();
  TPictureRowWriter(const TPictureRowWriter&) = delete;
  TPictureRowWriter& operator=(const TPictureRowWriter&) = delete;

  // The next rows, layout.Channels floats per pixel.
  void Write(const float* from, int rows);
  // The next rows of a 24-bit bitmap (TBitmap's rows), for a layout of 3
  // channels at 8 bits.
  void WriteBgr(const std::uint8_t* from, int rows);
  void Commit(TReplace replace = TReplace::Allow);

 private:
  struct TState;
  std::unique_ptr<TState> State_;
};

// Rows per strip of a streamed picture: about 4 MB of samples, at least one.
int StripRows(int width, int channels);

// Encode at the picture's depth as far as the type holds it (PNG and TIFF:
// 8 or 16 bits, TIFF also float; OpenEXR: half or float; DPX: 8, 10, 12 or
// 16 bits; BMP, JPEG and TGA: 8 bits), crash-safe like SaveBitmap. Traits
// read from a file of the same type are kept.
void SaveDeepImage(const std::filesystem::path& fileName, const TDeepPicture& picture,
                   TImageFileType type, TReplace replace = TReplace::Allow);

// Encode as the given type (not by the name's extension) and replace the file
// only once the whole image is encoded. JPEG is written at quality 100.
void SaveBitmap(const std::filesystem::path& fileName, const TBitmap& bitmap, TImageFileType type,
                TReplace replace = TReplace::Allow);
