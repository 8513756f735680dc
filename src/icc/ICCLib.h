// The colour-management service the ICC-to-LUT conversion samples: open a
// profile (from a file, or the standard sRGB), read its class, make a
// transform from profiles in a given order with a rendering intent,
// translate 16-bit colours. A thin layer over LittleCMS 2; every failure
// raises EICCError with LittleCMS's own reason where it gives one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EICCError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Three 16-bit channels, red, green, blue, 0..65535, in and out alike.
struct TICCColor {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  friend bool operator==(const TICCColor&, const TICCColor&) = default;
};

// The ICC rendering intents, numbered as in the profile header.
enum class TICCIntent {
  Perceptual = 0,
  RelativeColorimetric = 1,
  Saturation = 2,
  AbsoluteColorimetric = 3
};

class TICCService;

class TICCProfile {
 public:
  ~TICCProfile();
  TICCProfile(const TICCProfile&) = delete;
  TICCProfile& operator=(const TICCProfile&) = delete;

  // The class signature from the header ('mntr', 'scnr', 'link', ...), and
  // the colour space of its device side ('RGB ', 'GRAY', ...).
  std::uint32_t ProfileClass() const;
  std::uint32_t ColorSpace() const;
  // The header's PCS field: the output colour space for a device link.
  std::uint32_t ConnectionSpace() const;
  // As encoded in the header: 0x04300000 for 4.3.
  std::uint32_t EncodedVersion() const;
  // The 'desc' and 'cprt' texts in UTF-8 (English where there is a choice).
  std::string Description() const;
  std::string Copyright() const;
  // The type signature of a tag ('mft2', 'mAB ', ...), or 0 without the tag.
  std::uint32_t TagType(std::uint32_t tagSignature) const;
  // The points per input channel of the finest colour table among its
  // device and connection tags (lut8, lut16, lutAtoB, lutBtoA); 0 when its
  // transforms are curves and matrices only.
  int LargestGrid() const;
  // What the profile is called in messages: its file name, or "sRGB".
  const std::string& Name() const { return Name_; }

 private:
  friend class TICCService;
  friend class TICCTransform;
  TICCProfile(void* handle, std::string name) : Handle_(handle), Name_(std::move(name)) {}
  void* Handle_;
  std::string Name_;
};

class TICCTransform {
 public:
  ~TICCTransform();
  TICCTransform(const TICCTransform&) = delete;
  TICCTransform& operator=(const TICCTransform&) = delete;

  // 1 for a gray end, else 3.
  int InputChannels() const { return InputChannels_; }
  int OutputChannels() const { return OutputChannels_; }

  // Three channels in and out.
  TICCColor TranslateColor(const TICCColor& in) const;
  void TranslateColors(const TICCColor* in, TICCColor* out, std::size_t count) const;
  // Any transform: InputChannels() words per colour in, OutputChannels() out.
  void TranslateWords(const std::uint16_t* in, std::uint16_t* out, std::size_t count) const;

 private:
  friend class TICCService;
  TICCTransform(void* handle, int inputChannels, int outputChannels)
      : Handle_(handle), InputChannels_(inputChannels), OutputChannels_(outputChannels) {}
  void* Handle_;
  int InputChannels_;
  int OutputChannels_;
};

// One LittleCMS context with its error reporting. It must outlive the
// profiles and transforms it makes.
class TICCService {
 public:
  TICCService();
  ~TICCService();
  TICCService(const TICCService&) = delete;
  TICCService& operator=(const TICCService&) = delete;

  std::unique_ptr<TICCProfile> OpenProfile(const std::filesystem::path& fileName);
  std::unique_ptr<TICCProfile> StandardSRGBProfile();
  // The profiles in transform order, 16 bits per channel, evaluated at full
  // precision. The colour space at both ends must have three channels, or
  // be gray; CheckTransformEnds raises when it does not.
  std::unique_ptr<TICCTransform> CreateTransform(const std::vector<const TICCProfile*>& profiles,
                                                 TICCIntent intent = TICCIntent::Perceptual,
                                                 bool blackPointCompensation = false);
  void CheckTransformEnds(const std::vector<const TICCProfile*>& profiles);
  // The size of the largest profile file opened: it bounds how much memory
  // the colour library may take for one table.
  std::size_t LargestProfileBytes() const { return LargestProfileBytes_; }

 private:
  [[noreturn]] void Raise(const std::string& what);
  // The LittleCMS handles, and the names joined for messages.
  static std::vector<void*> Handles(const std::vector<const TICCProfile*>& profiles,
                                    std::string& names);
  std::size_t LargestProfileBytes_ = 0;  // set before the context that reads it
  void* Context_;
  std::string LastError_;
  friend void RecordICCError(TICCService& service, const char* text);
};

// "Display Device Profile" and the other names of the class signatures.
std::string ProfileClassName(std::uint32_t profileClass);
