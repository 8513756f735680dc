// JPEG through libjpeg-turbo: grey, colour and CMYK pictures read at 8 bits;
// colour written at quality 100 with no chroma subsampling, since every
// pixel of a Hald picture is its own colour.
//
// Quirks, and why:
// - libjpeg reports errors by jumping back to the call that set the jump
//   buffer; no C++ object is made or changed between the two, and the
//   message is raised once back in C++.
// - A file that ends before its last row is an error here; libjpeg would
//   otherwise fill the rest with grey and only warn.
// - CMYK pictures are stored inverted by the programs that write them; they
//   become RGB as R = C * K, and so on.
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "image/codecs/PictureCodec.h"

namespace {

// Memory libjpeg may use for one picture (a progressive one holds all its
// coefficients).
constexpr long MaxJpegMemory = 512L << 20;

void JpegErrorExit(j_common_ptr cinfo);
void JpegMessage(j_common_ptr, int) {}

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = {};
  bool RanOut = false;
  // The manager for a reader or writer: errors jump back, warnings are
  // dropped.
  jpeg_error_mgr* Install() {
    jpeg_std_error(&Manager);
    Manager.error_exit = JpegErrorExit;
    Manager.emit_message = JpegMessage;
    return &Manager;
  }
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, error->Message);
  std::longjmp(error->Jump, 1);
}

struct TJpegSource {
  jpeg_source_mgr Manager;
  const TPictureFile* File = nullptr;
  std::uint64_t At = 0;
  unsigned char Block[1 << 16];
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<TJpegSource*>(cinfo->src);
  const std::uint64_t left = source->File->Size - std::min(source->File->Size, source->At);
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof source->Block));
  if (n == 0 || !ReadFileAt(*source->File, source->At, source->Block, n)) {
    reinterpret_cast<TJpegError*>(cinfo->err)->RanOut = true;
    ERREXIT(cinfo, JERR_INPUT_EOF);
  }
  source->At += n;
  source->Manager.next_input_byte = source->Block;
  source->Manager.bytes_in_buffer = n;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long n) {
  auto* source = reinterpret_cast<TJpegSource*>(cinfo->src);
  if (n <= 0) return;
  const auto skip = static_cast<std::size_t>(n);
  if (skip <= source->Manager.bytes_in_buffer) {
    source->Manager.next_input_byte += skip;
    source->Manager.bytes_in_buffer -= skip;
    return;
  }
  source->At += skip - source->Manager.bytes_in_buffer;
  source->Manager.bytes_in_buffer = 0;
}

void TermSource(j_decompress_ptr) {}

class TJpegReader final : public TPictureReader {
 public:
  explicit TJpegReader(const TPictureFile& file) : File_(file) {
    Info_.err = Error_.Install();
    jpeg_create_decompress(&Info_);
    Created_ = true;
    Source_.File = &File_;
    Source_.Manager.next_input_byte = nullptr;
    Source_.Manager.bytes_in_buffer = 0;
    Source_.Manager.init_source = InitSource;
    Source_.Manager.fill_input_buffer = FillInput;
    Source_.Manager.skip_input_data = SkipInput;
    Source_.Manager.resync_to_restart = jpeg_resync_to_restart;
    Source_.Manager.term_source = TermSource;
    Info_.src = &Source_.Manager;
    Info_.mem->max_memory_to_use = MaxJpegMemory;
    if (!CallCatchingJump(Error_.Jump, [this] { Header(); })) {
      jpeg_destroy_decompress(&Info_);
      Created_ = false;
      Fail();
    }
    Info.Width = static_cast<int>(Info_.image_width);
    Info.Height = static_cast<int>(Info_.image_height);
    Info.Channels = Info_.out_color_space == JCS_GRAYSCALE ? 1 : 3;
    Info.BitsPerSample = 8;
    Info.Traits.Type = TImageFileType::Jpeg;
  }

  ~TJpegReader() override {
    if (Created_) jpeg_destroy_decompress(&Info_);
  }

  void ReadRows(float* to, int rows) override {
    if (!Started_ && !CallCatchingJump(Error_.Jump, [this] { jpeg_start_decompress(&Info_); })) Fail();
    Started_ = true;
    const std::size_t samples = static_cast<std::size_t>(Info.Width) * Info.Channels;
    Raw_.resize(static_cast<std::size_t>(Info_.output_width) * static_cast<std::size_t>(Info_.output_components));
    for (int r = 0; r < rows; ++r, ++Row_, to += samples) {
      if (!CallCatchingJump(Error_.Jump, [this] { ReadRow(); })) Fail();
      const unsigned char* p = Raw_.data();
      if (Info_.out_color_space == JCS_CMYK) {
        for (int x = 0; x < Info.Width; ++x, p += 4)
          for (int c = 0; c < 3; ++c) to[3 * x + c] = SampleOf((p[c] * p[3] + 127u) / 255u, 255);
      } else {
        SamplesOf8Bit(p, samples, to);
      }
    }
  }

 private:
  // Each of these jumps back to Error_.Jump on an error.
  void Header() {
    jpeg_read_header(&Info_, TRUE);
    if (Info_.jpeg_color_space == JCS_CMYK || Info_.jpeg_color_space == JCS_YCCK) {
      Info_.out_color_space = JCS_CMYK;
    } else if (Info_.jpeg_color_space != JCS_GRAYSCALE) {
      Info_.out_color_space = JCS_RGB;
    }
  }

  void ReadRow() {
    JSAMPROW row = Raw_.data();
    if (jpeg_read_scanlines(&Info_, &row, 1) != 1) ERREXIT(&Info_, JERR_INPUT_EOF);
  }

  [[noreturn]] void Fail() {
    if (Error_.RanOut)
      RaiseTruncated(File_.Name, Started_ ? "its image data runs out at row " + std::to_string(Row_)
                                          : std::string("its header is incomplete"));
    RaiseDamaged(File_.Name, Error_.Message);
  }

  TPictureFile File_;
  TJpegError Error_;
  TJpegSource Source_;
  jpeg_decompress_struct Info_{};
  bool Created_ = false;
  bool Started_ = false;
  int Row_ = 0;
  std::vector<unsigned char> Raw_;
};

struct TJpegDestination {
  jpeg_destination_mgr Manager;
  TSequentialSink* Out = nullptr;
  unsigned char Block[1 << 16];
};

void InitDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
  d->Manager.next_output_byte = d->Block;
  d->Manager.free_in_buffer = sizeof d->Block;
}

boolean EmptyOutput(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
  d->Out->Write(d->Block, sizeof d->Block);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
  d->Out->Write(d->Block, sizeof d->Block - d->Manager.free_in_buffer);
}

class TJpegWriter final : public TPictureWriter {
 public:
  TJpegWriter(const TPictureTarget& target, IByteSink& sink) : Target_(target), Out_(sink) {
    Info_.err = Error_.Install();
    jpeg_create_compress(&Info_);
    Created_ = true;
    Destination_.Out = &Out_;
    Destination_.Manager.init_destination = InitDestination;
    Destination_.Manager.empty_output_buffer = EmptyOutput;
    Destination_.Manager.term_destination = TermDestination;
    Info_.dest = &Destination_.Manager;
    Info_.image_width = static_cast<JDIMENSION>(target.Width);
    Info_.image_height = static_cast<JDIMENSION>(target.Height);
    Info_.input_components = 3;
    Info_.in_color_space = JCS_RGB;
    if (!CallCatchingJump(Error_.Jump, [this] { Start(); })) {
      jpeg_destroy_compress(&Info_);
      Created_ = false;
      Fail();
    }
  }

  ~TJpegWriter() override {
    if (Created_) jpeg_destroy_compress(&Info_);
  }

  void WriteRows(const float* from, int rows) override {
    Raw_.resize(static_cast<std::size_t>(Target_.Width) * 3);
    const int c = Target_.Channels;
    for (int r = 0; r < rows; ++r, from += static_cast<std::size_t>(Target_.Width) * c) {
      for (int x = 0; x < Target_.Width; ++x)
        for (int i = 0; i < 3; ++i)
          Raw_[3 * static_cast<std::size_t>(x) + i] = static_cast<unsigned char>(CodeOf(from[x * c + i], 255));
      if (!CallCatchingJump(Error_.Jump, [this] {
            JSAMPROW row = Raw_.data();
            jpeg_write_scanlines(&Info_, &row, 1);
          }))
        Fail();
    }
  }

  void Finish() override {
    if (!CallCatchingJump(Error_.Jump, [this] { jpeg_finish_compress(&Info_); })) Fail();
  }

 private:
  // Jumps back to Error_.Jump on an error.
  void Start() {
    jpeg_set_defaults(&Info_);
    jpeg_set_quality(&Info_, 100, TRUE);
    for (int i = 0; i < 3; ++i) Info_.comp_info[i].h_samp_factor = Info_.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&Info_, TRUE);
  }

  [[noreturn]] void Fail() {
    throw EImageError("Cannot encode the picture \"" + Target_.Name + "\": " + Error_.Message + ".");
  }

  TPictureTarget Target_;
  TSequentialSink Out_;
  TJpegError Error_;
  TJpegDestination Destination_;
  jpeg_compress_struct Info_{};
  bool Created_ = false;
  std::vector<unsigned char> Raw_;
};

}  // namespace

std::unique_ptr<TPictureReader> OpenJpegReader(const TPictureFile& file) {
  return std::make_unique<TJpegReader>(file);
}

std::unique_ptr<TPictureWriter> MakeJpegWriter(const TPictureTarget& target, IByteSink& sink) {
  return std::make_unique<TJpegWriter>(target, sink);
}
