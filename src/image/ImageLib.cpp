// The library's side of the codecs: the extension rules, the size limits,
// the header checks made before a codec sees a file, crash-safe writing, and
// the conversions between the codecs' rows and the bitmap or deep picture.
#include "image/ImageLib.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "core/StringLib.h"
#include "image/PictureHeader.h"
#include "image/codecs/PictureCodec.h"

namespace fs = std::filesystem;

namespace {

// A declared size beyond these is refused before pixels are allocated.
struct TImageLimits {
  int MaxSide = 0;
  std::int64_t MaxPixels = 0;
  bool Allow(int width, int height) const {
    return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide &&
           static_cast<std::int64_t>(width) * height <= MaxPixels;
  }
};

struct TCodec {
  std::unique_ptr<TPictureReader> (*Open)(const TPictureFile&);
  std::unique_ptr<TPictureWriter> (*Make)(const TPictureTarget&, IByteSink&);
  // How many pixels one byte of the type can carry at most. A header that
  // declares more than its file can hold is damaged or forged, and is
  // refused before anything is allocated for it.
  std::int64_t MaxPixelsPerByte;
};

const TCodec& CodecOf(TImageFileType type) {
  static const TCodec bmp{OpenBmpReader, MakeBmpWriter, 128};  // run-length: 255 pixels in 2 bytes
  static const TCodec jpeg{OpenJpegReader, MakeJpegWriter, 512};  // a bit at least per 8 x 8 block
  // LZW and deflate shrink at most about 1000:1, here on one bit per pixel
  static const TCodec tiff{OpenTiffReader, MakeTiffWriter, 8256};
  static const TCodec png{OpenPngReader, MakePngWriter, 8256};
  static const TCodec exr{OpenExrReader, MakeExrWriter, 8256};
  static const TCodec dpx{OpenDpxReader, MakeDpxWriter, 1};  // uncompressed, a byte per pixel at least
  static const TCodec tga{OpenTgaReader, MakeTgaWriter, 64};  // run-length: 128 pixels in 2 bytes
  switch (type) {
    case TImageFileType::Bmp: return bmp;
    case TImageFileType::Jpeg: return jpeg;
    case TImageFileType::Tiff: return tiff;
    case TImageFileType::Png: return png;
    case TImageFileType::Exr: return exr;
    case TImageFileType::Dpx: return dpx;
    case TImageFileType::Tga: return tga;
  }
  return png;
}

[[noreturn]] void RaiseUnknownExtension(const fs::path& fileName) {
  std::string ext = FileExtension(fileName);
  if (!ext.empty()) ext.erase(0, 1);
  throw EImageError("Unknown picture file extension (." + ext + ")");
}

[[noreturn]] void RaiseTooLarge(const fs::path& fileName, const TImageInfo& info,
                                std::uint64_t fileSize) {
  const std::string size = std::to_string(info.Width) + " x " + std::to_string(info.Height);
  if (TImageLimits{MaxImageSide, MaxImagePixels}.Allow(info.Width, info.Height))
    throw EImageError("The picture \"" + fileName.string() + "\" is damaged: it declares " + size +
                      " pixels, more than its " + std::to_string(fileSize) + " bytes can hold.");
  throw EImageError("The picture \"" + fileName.string() + "\" is too large to load (" + size +
                    " pixels; at most " + std::to_string(MaxImageSide) + " pixels per side and " +
                    std::to_string(MaxImagePixels / 1'000'000) + " million pixels).");
}

}  // namespace

// A picture opened for reading: only a regular file of a known type and of
// at most MaxPictureFileSize bytes, whose header passed the walks and
// declares no more pixels than the limits and the file allow.
struct TOpenPicture {
  TFileDescriptor Fd;
  TPictureFile File;
  TImageLimits Limits;
  TImageInfo Info;
  std::unique_ptr<TPictureReader> Reader;
};

struct TPictureRows::TState {
  TOpenPicture Open;
  TDeepPicture Layout;
  std::vector<float> Grey;  // a strip of grey rows before they are spread
};

namespace {

TOpenPicture OpenPicture(const fs::path& fileName) {
  TOpenPicture open;
  const auto type = ImageFileTypeOf(fileName);
  if (!type) RaiseUnknownExtension(fileName);
  std::uint64_t size = 0;
  open.Fd = OpenFileForReading(fileName, &size);
  if (size > MaxPictureFileSize)
    throw EImageError("The file \"" + fileName.string() + "\" is too large for a picture (" +
                      std::to_string(size) + " bytes; at most " +
                      std::to_string(MaxPictureFileSize) + " are read).");
  const TCodec& codec = CodecOf(*type);
  const std::int64_t fileCanHold = static_cast<std::int64_t>(size) * codec.MaxPixelsPerByte;
  open.Limits = TImageLimits{MaxImageSide, std::min(MaxImagePixels, fileCanHold)};
  const TPictureHeader header = ReadPictureHeader(open.Fd.Get(), size, *type);
  if (!header.Refusal.empty()) throw EImageError(header.Refusal);
  open.Info.Width = header.Width;
  open.Info.Height = header.Height;
  if (header.SizeKnown && !open.Limits.Allow(header.Width, header.Height))
    RaiseTooLarge(fileName, open.Info, size);
  open.File = TPictureFile{open.Fd.Get(), size, fileName.string()};
  open.Reader = codec.Open(open.File);
  open.Info = open.Reader->Info;
  if (!open.Limits.Allow(open.Info.Width, open.Info.Height)) RaiseTooLarge(fileName, open.Info, size);
  return open;
}

// Samples of `channels` per pixel spread to 3 or 4: grey over R, G and B,
// alpha last.
void SpreadGrey(const float* from, int channels, std::size_t pixels, float* to, int toChannels) {
  for (std::size_t i = 0; i < pixels; ++i, from += channels, to += toChannels) {
    to[0] = to[1] = to[2] = from[0];
    if (toChannels == 4) to[3] = channels == 2 ? from[1] : 1.0f;
  }
}

// The temporary of an output as a codec's sink.
class TFileSink final : public IByteSink {
 public:
  explicit TFileSink(const fs::path& fileName) : File_(fileName) {}
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
    File_.WriteAt(offset, std::string_view(static_cast<const char*>(data), size));
    Size_ = std::max(Size_, offset + size);
  }
  std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override {
    return File_.ReadAt(offset, static_cast<char*>(data), size);
  }
  std::uint64_t Size() const override { return Size_; }
  void Commit(TReplace replace) { File_.Commit(replace); }

 private:
  TAtomicFile File_;
  std::uint64_t Size_ = 0;
};

// What the type stores of a picture: JPEG and BMP carry no alpha worth
// keeping here.
TPictureTarget TargetOf(const fs::path& fileName, const TDeepPicture& layout, TImageFileType type) {
  TPictureTarget target;
  target.Width = layout.Width;
  target.Height = layout.Height;
  const bool alphaType = type != TImageFileType::Jpeg && type != TImageFileType::Bmp;
  target.Channels = alphaType ? layout.Channels : 3;
  target.BitsPerSample = layout.BitsPerSample;
  target.Float = layout.Float;
  target.Traits = layout.Traits;
  target.Name = fileName.string();
  return target;
}

}  // namespace

std::string FileExtension(const fs::path& fileName) {
  const std::string name = fileName.filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::optional<TImageFileType> ImageFileTypeOf(const fs::path& fileName) {
  static const std::pair<const char*, TImageFileType> extensions[] = {
      {".BMP", TImageFileType::Bmp},   {".JPG", TImageFileType::Jpeg},
      {".JPEG", TImageFileType::Jpeg}, {".TIF", TImageFileType::Tiff},
      {".TIFF", TImageFileType::Tiff}, {".PNG", TImageFileType::Png},
      {".EXR", TImageFileType::Exr},   {".DPX", TImageFileType::Dpx},
      {".TGA", TImageFileType::Tga}};
  const std::string ext = UpperCase(FileExtension(fileName));
  for (const auto& [name, type] : extensions)
    if (ext == name) return type;
  return std::nullopt;
}

TImageInfo LoadImageToBitmap(const fs::path& fileName, TBitmap& bitmap) {
  const auto type = ImageFileTypeOf(fileName);
  if (!type || (*type != TImageFileType::Bmp && *type != TImageFileType::Jpeg &&
                 *type != TImageFileType::Tiff && *type != TImageFileType::Tga))
    RaiseUnknownExtension(fileName);
  return DecodeImageFile(fileName, bitmap);
}

TImageInfo ReadImageInfo(const fs::path& fileName) { return OpenPicture(fileName).Info; }

TImageInfo DecodeImageFile(const fs::path& fileName, TBitmap& bitmap) {
  TOpenPicture open = OpenPicture(fileName);
  const TImageInfo& info = open.Info;
  TBitmap decoded(info.Width, info.Height);
  const int c = info.Channels;
  const int strip = StripRows(info.Width, c);
  std::vector<float> rows;
  for (int y = 0; y < info.Height; y += strip) {
    const int n = std::min(strip, info.Height - y);
    if (open.Reader->ReadBgrRows(decoded.Row(y), n)) continue;
    rows.resize(static_cast<std::size_t>(info.Width) * static_cast<std::size_t>(c) *
                static_cast<std::size_t>(n));
    open.Reader->ReadRows(rows.data(), n);
    const float* p = rows.data();
    for (int r = 0; r < n; ++r) {
      std::uint8_t* q = decoded.Row(y + r);
      for (int x = 0; x < info.Width; ++x, p += c, q += 3) {
        q[2] = static_cast<std::uint8_t>(CodeOf(p[0], 255));
        q[1] = static_cast<std::uint8_t>(CodeOf(p[c >= 3 ? 1 : 0], 255));
        q[0] = static_cast<std::uint8_t>(CodeOf(p[c >= 3 ? 2 : 0], 255));
      }
    }
  }
  bitmap = std::move(decoded);
  return info;
}

void SaveBitmap(const fs::path& fileName, const TBitmap& bitmap, TImageFileType type,
                TReplace replace) {
  if (bitmap.Empty()) throw EImageError("Cannot save an empty picture.");
  TDeepPicture layout;
  layout.Width = bitmap.Width();
  layout.Height = bitmap.Height();
  TPictureRowWriter writer(fileName, layout, type);
  const int strip = StripRows(layout.Width, layout.Channels);
  for (int y = 0; y < layout.Height; y += strip)
    writer.WriteBgr(bitmap.Row(y), std::min(strip, layout.Height - y));
  writer.Commit(replace);
}

TDeepPicture DecodeDeepImage(const fs::path& fileName) {
  TOpenPicture open = OpenPicture(fileName);
  TDeepPicture picture;
  auto state = std::make_unique<TPictureRows::TState>();
  state->Open = std::move(open);
  TPictureRows rows(std::move(state));
  picture = rows.Layout();
  picture.Samples.resize(picture.Index(0, picture.Height));
  const int strip = StripRows(picture.Width, picture.Channels);
  for (int y = 0; y < picture.Height; y += strip)
    rows.Read(picture.Samples.data() + picture.Index(0, y), std::min(strip, picture.Height - y));
  return picture;
}

void SaveDeepImage(const fs::path& fileName, const TDeepPicture& picture, TImageFileType type,
                   TReplace replace) {
  if (picture.Width <= 0 || picture.Height <= 0) throw EImageError("Cannot save an empty picture.");
  TPictureRowWriter writer(fileName, picture, type);
  const int strip = StripRows(picture.Width, picture.Channels);
  for (int y = 0; y < picture.Height; y += strip)
    writer.Write(picture.Samples.data() + picture.Index(0, y), std::min(strip, picture.Height - y));
  writer.Commit(replace);
}

int StripRows(int width, int channels) {
  const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels) * sizeof(float);
  return static_cast<int>(std::max<std::size_t>(1, (std::size_t(4) << 20) / std::max<std::size_t>(row, 1)));
}


TPictureRows::TPictureRows(const fs::path& fileName) : State_(std::make_unique<TState>()) {
  State_->Open = OpenPicture(fileName);
  Init();
}

TPictureRows::TPictureRows(std::unique_ptr<TState> state) : State_(std::move(state)) { Init(); }

void TPictureRows::Init() {
  const TImageInfo& info = State_->Open.Info;
  TDeepPicture& layout = State_->Layout;
  layout.Width = info.Width;
  layout.Height = info.Height;
  layout.Channels = info.Channels == 2 || info.Channels == 4 ? 4 : 3;
  layout.BitsPerSample = info.BitsPerSample;
  layout.Float = info.Float;
  layout.Traits = info.Traits;
}

TPictureRows::~TPictureRows() = default;

const TDeepPicture& TPictureRows::Layout() const { return State_->Layout; }
const TImageInfo& TPictureRows::Info() const { return State_->Open.Info; }

void TPictureRows::Read(float* to, int rows) {
  const TImageInfo& info = State_->Open.Info;
  if (info.Channels >= 3) {
    State_->Open.Reader->ReadRows(to, rows);
    return;
  }
  std::vector<float>& grey = State_->Grey;
  grey.resize(static_cast<std::size_t>(info.Width) * static_cast<std::size_t>(info.Channels) *
              static_cast<std::size_t>(rows));
  State_->Open.Reader->ReadRows(grey.data(), rows);
  SpreadGrey(grey.data(), info.Channels, static_cast<std::size_t>(info.Width) * static_cast<std::size_t>(rows),
             to, State_->Layout.Channels);
}

struct TPictureRowWriter::TState {
  TPictureTarget Target;
  int Channels = 3;  // of the rows given
  TFileSink Sink;
  std::unique_ptr<TPictureWriter> Writer;
  std::vector<float> Rgb;  // rows without alpha, for types that keep none,
                           // or made from 24-bit rows
  explicit TState(const fs::path& fileName) : Sink(fileName) {}
};

TPictureRowWriter::TPictureRowWriter(const fs::path& fileName, const TDeepPicture& layout,
                                     TImageFileType type)
    : State_(std::make_unique<TState>(fileName)) {
  State_->Target = TargetOf(fileName, layout, type);
  State_->Channels = layout.Channels;
  State_->Writer = CodecOf(type).Make(State_->Target, State_->Sink);
}

TPictureRowWriter::~TPictureRowWriter() = default;

void TPictureRowWriter::Write(const float* from, int rows) {
  const TPictureTarget& target = State_->Target;
  if (target.Channels == State_->Channels) {
    State_->Writer->WriteRows(from, rows);
    return;
  }
  const std::size_t pixels = static_cast<std::size_t>(target.Width) * static_cast<std::size_t>(rows);
  State_->Rgb.resize(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i)
    std::copy_n(from + i * static_cast<std::size_t>(State_->Channels), 3, &State_->Rgb[3 * i]);
  State_->Writer->WriteRows(State_->Rgb.data(), rows);
}

void TPictureRowWriter::WriteBgr(const std::uint8_t* from, int rows) {
  if (State_->Writer->WriteBgrRows(from, rows)) return;
  std::vector<float>& rgb = State_->Rgb;
  rgb.resize(static_cast<std::size_t>(State_->Target.Width) * 3 * static_cast<std::size_t>(rows));
  for (std::size_t i = 0; i < rgb.size(); i += 3, from += 3) {
    rgb[i] = SampleOf(from[2], 255);
    rgb[i + 1] = SampleOf(from[1], 255);
    rgb[i + 2] = SampleOf(from[0], 255);
  }
  State_->Writer->WriteRows(rgb.data(), rows);
}

void TPictureRowWriter::Commit(TReplace replace) {
  State_->Writer->Finish();
  State_->Sink.Commit(replace);
}
