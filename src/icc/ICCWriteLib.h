// A small writer for ICC profiles (version 4.0, or 2.4 for software that
// reads only version 2; lut16 tags): the tag bodies are assembled in
// TICCProfileStream with big-endian writes, collected by TICCProfileWriter
// with their tag table and header, and written in one go. It writes exactly
// the tag types the LUT-to-profile builders need: 'mluc' (version 4) or
// 'desc' and 'text' (version 2), 'XYZ ', 'pseq' and 'mft2'. It never reads
// profiles.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileIO.h"

// A growing byte buffer with the profile's big-endian writers. Every number
// that goes into a profile passes through one of these.
class TICCProfileStream {
 public:
  void WriteByte(std::uint8_t value);
  void WriteWord(std::uint16_t value);
  void WriteLongWord(std::uint32_t value);
  void WriteFixed(float value);
  void WriteWordTriple(std::uint16_t a, std::uint16_t b, std::uint16_t c);
  void WriteBytes(std::string_view bytes) { Data_.append(bytes); }

  const std::string& Data() const { return Data_; }
  std::size_t Size() const { return Data_.size(); }

 private:
  std::string Data_;
};

std::uint32_t SwapLongWord(std::uint32_t value);
// s15Fixed16 as this writer makes it: the fraction is scaled by 65535, not
// 65536 (0.9642 -> 0000F6D5, -3.24 -> FFFCC290). Profiles already in use
// carry these values, so the scale stays.
std::uint32_t FloatToFixed(float value);
// Up to four characters, the first in the most significant byte; shorter
// texts are padded with spaces ("XYZ" -> 'XYZ ').
std::uint32_t Signature(std::string_view text);

using TICCMatrix = std::array<float, 9>;

// Where each field of the 128-byte profile header starts.
namespace ICCHeader {
inline constexpr std::size_t ProfileSize = 0;
inline constexpr std::size_t PreferredCMM = 4;
inline constexpr std::size_t Version = 8;
inline constexpr std::size_t DeviceClass = 12;
inline constexpr std::size_t ColorSpace = 16;
inline constexpr std::size_t ConnectionSpace = 20;
inline constexpr std::size_t DateTime = 24;  // six 16-bit values
inline constexpr std::size_t FileSignature = 36;
inline constexpr std::size_t PrimaryPlatform = 40;
inline constexpr std::size_t Flags = 44;
inline constexpr std::size_t DeviceManufacturer = 48;
inline constexpr std::size_t DeviceModel = 52;
inline constexpr std::size_t DeviceAttributes = 56;  // 8 bytes
inline constexpr std::size_t RenderingIntent = 64;
inline constexpr std::size_t Illuminant = 68;  // X, Y, Z
inline constexpr std::size_t Creator = 80;
inline constexpr std::size_t ProfileID = 84;  // 16 bytes
inline constexpr std::size_t Reserved = 100;
inline constexpr std::size_t Size = 128;
}  // namespace ICCHeader

// Version 4.0 is the default; version 2.4 is for readers that refuse 4.
enum class TICCVersion { V4, V2 };

class TICCProfileWriter {
 public:
  static constexpr int MaxTags = 101;

  explicit TICCProfileWriter(std::filesystem::path fileName, TICCVersion version = TICCVersion::V4);

  TICCVersion Version() const { return Version_; }

  // Fill the header for the profile class ('mntr', 'scnr', 'link'), stamped
  // with the local clock now, or with the given time.
  void SetHeader(std::uint32_t profileClass);
  void SetHeader(std::uint32_t profileClass, const std::tm& stamp);

  // Appends the body (copied; it stays the caller's) and pads the tag data
  // to a multiple of 4 bytes. More than MaxTags tags raise std::length_error.
  void AddTag(std::uint32_t signature, const TICCProfileStream& body);
  // Version 4: one 'mluc' record in English/US. Version 2: a 'desc'
  // (textDescriptionType) and a 'text' body, in ASCII with '?' for what
  // ASCII lacks; the description also carries the text in UTF-16.
  void AddDescription(std::string_view utf8Text);
  void AddCopyright(std::string_view utf8Text);
  void AddWhitePoint(float x, float y, float z);
  void AddEmptySequence();
  // A lut16Type body, each part left out taking its default: identity
  // matrix; a 2-point identity colour table (gridPoints then ignored);
  // 2-entry identity curves. The input table is one curve in host order,
  // used for all three channels; the colour table and output tables are
  // ready big-endian blocks (built with WriteWord/WriteWordTriple).
  void AddLut16(std::uint32_t signature, const TICCMatrix* matrix,
                const TICCProfileStream* colorTable, int gridPoints,
                std::span<const std::uint16_t> inputTable, const TICCProfileStream* outputTables,
                int outputEntries);

  // The whole profile as it goes to disk (sets the size field, and for
  // version 4 the profile ID: the MD5 of the profile with the flags, the
  // rendering intent and the ID itself zeroed; version 2 has no ID).
  std::string ProfileBytes();
  // Writes the file atomically; failures raise EFileError.
  void SaveProfile(TReplace replace = TReplace::Allow);

  const std::filesystem::path& FileName() const { return FileName_; }
  int TagCount() const { return static_cast<int>(TagSignatures_.size()); }

 private:
  std::vector<std::uint32_t> TagSignatures_;
  std::vector<std::uint32_t> TagOffsets_;  // within the tag data, not the file
  std::vector<std::uint32_t> TagSizes_;    // unpadded
  std::string TagData_;
  std::filesystem::path FileName_;
  TICCVersion Version_;
  std::array<std::uint8_t, ICCHeader::Size> Header_{};  // in file byte order
};

std::unique_ptr<TICCProfileWriter> CreateProfileWriter(const std::filesystem::path& fileName,
                                                       TICCVersion version = TICCVersion::V4);

// The profile ID of a whole profile: the MD5 of its bytes with the flags,
// the rendering intent and the ID fields taken as zero.
std::array<std::uint8_t, 16> ComputeProfileID(std::string_view profile);

// Saves, and frees the writer on success. Any failure is caught: the answer
// is false, the writer is kept, and the reason goes to *reason when given.
bool SaveAndFree(std::unique_ptr<TICCProfileWriter>& writer, std::string* reason = nullptr,
                 TReplace replace = TReplace::Allow);

// The 'mluc' text: UTF-8 decoded to UTF-16 code units, a byte that is not
// valid UTF-8 standing for the Latin-1 character of its code.
std::u16string ProfileTextUnits(std::string_view utf8Text);
