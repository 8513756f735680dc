// The colour-management service the ICC-to-LUT conversion samples: open a
// profile (from a file, or the standard sRGB), read its class, make a
// transform from one or two profiles in a given order, translate 16-bit RGB
// colours. A thin layer over LittleCMS 2; every failure raises EICCError
// with LittleCMS's own reason where it gives one.
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

class TICCService;

class TICCProfile {
 public:
  ~TICCProfile();
  TICCProfile(const TICCProfile&) = delete;
  TICCProfile& operator=(const TICCProfile&) = delete;

  // The class signature from the header ('mntr', 'scnr', 'link', ...).
  std::uint32_t ProfileClass() const;
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

  TICCColor TranslateColor(const TICCColor& in) const;
  void TranslateColors(const TICCColor* in, TICCColor* out, std::size_t count) const;

 private:
  friend class TICCService;
  explicit TICCTransform(void* handle) : Handle_(handle) {}
  void* Handle_;
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
  // The profiles in transform order, perceptual intent, 16 bits per
  // channel, evaluated at full precision. The colour space at both ends
  // must have three channels.
  std::unique_ptr<TICCTransform> CreateTransform(const std::vector<const TICCProfile*>& profiles);

 private:
  [[noreturn]] void Raise(const std::string& what);
  void* Context_;
  std::string LastError_;
  friend void RecordICCError(TICCService& service, const char* text);
};

// "Display Device Profile" and the other names of the class signatures.
std::string ProfileClassName(std::uint32_t profileClass);
