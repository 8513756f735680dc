#include "icc/ICCWriteLib.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/FileIO.h"

namespace {

constexpr std::size_t TagEntrySize = 12;

void PutLongWord(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

void PutWord(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 8);
  at[1] = static_cast<std::uint8_t>(value);
}

void AppendLongWord(std::string& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  PutLongWord(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), 4);
}

// Decodes one UTF-8 sequence at text[i]; -1 when it is not well formed
// (overlong forms, surrogates and values above U+10FFFF included).
long DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  long cp = 0;
  long min = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    return -1;
  }
  if (i + extra >= text.size()) return -1;
  for (int k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

TICCProfileStream TextBody(std::string_view utf8Text) {
  const std::u16string units = ProfileTextUnits(utf8Text);
  TICCProfileStream body;
  body.WriteLongWord(Signature("mluc"));
  body.WriteLongWord(0);
  body.WriteLongWord(1);   // one record
  body.WriteLongWord(12);  // record size
  body.WriteWord(0x656E);  // 'en'
  body.WriteWord(0x5553);  // 'US'
  body.WriteLongWord(static_cast<std::uint32_t>(2 * units.size()));
  body.WriteLongWord(28);
  for (char16_t unit : units) body.WriteWord(unit);
  return body;
}

// Version 2 text is 7-bit ASCII: one '?' for each character beyond it.
std::string AsciiText(std::string_view utf8Text) {
  std::string ascii;
  for (std::size_t i = 0; i < utf8Text.size();) {
    long cp = DecodeUtf8(utf8Text, i);
    if (cp < 0) cp = static_cast<unsigned char>(utf8Text[i++]);
    ascii += cp < 0x80 ? static_cast<char>(cp) : '?';
  }
  return ascii;
}

void WriteNulTerminated(TICCProfileStream& body, const std::string& ascii) {
  body.WriteBytes(ascii);
  body.WriteByte(0);
}

// textDescriptionType: the ASCII text, the same text in UTF-16 (language
// code 0), and an empty Macintosh ScriptCode record. Both counts include
// the terminating zero.
TICCProfileStream DescriptionBodyV2(std::string_view utf8Text) {
  const std::string ascii = AsciiText(utf8Text);
  const std::u16string units = ProfileTextUnits(utf8Text);
  TICCProfileStream body;
  body.WriteLongWord(Signature("desc"));
  body.WriteLongWord(0);
  body.WriteLongWord(static_cast<std::uint32_t>(ascii.size() + 1));
  WriteNulTerminated(body, ascii);
  body.WriteLongWord(0);
  body.WriteLongWord(static_cast<std::uint32_t>(units.size() + 1));
  for (char16_t unit : units) body.WriteWord(unit);
  body.WriteWord(0);
  body.WriteWord(0);  // ScriptCode code
  body.WriteByte(0);  // ScriptCode count
  body.WriteBytes(std::string(67, '\0'));
  return body;
}

TICCProfileStream PlainTextBodyV2(std::string_view utf8Text) {
  TICCProfileStream body;
  body.WriteLongWord(Signature("text"));
  body.WriteLongWord(0);
  WriteNulTerminated(body, AsciiText(utf8Text));
  return body;
}

}  // namespace

void TICCProfileStream::WriteByte(std::uint8_t value) { Data_.push_back(static_cast<char>(value)); }

void TICCProfileStream::WriteWord(std::uint16_t value) {
  std::uint8_t bytes[2];
  PutWord(bytes, value);
  Data_.append(reinterpret_cast<const char*>(bytes), 2);
}

void TICCProfileStream::WriteLongWord(std::uint32_t value) { AppendLongWord(Data_, value); }

void TICCProfileStream::WriteFixed(float value) { WriteLongWord(FloatToFixed(value)); }

void TICCProfileStream::WriteWordTriple(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
  WriteWord(a);
  WriteWord(b);
  WriteWord(c);
}

std::uint32_t SwapLongWord(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

std::uint32_t FloatToFixed(float value) {
  const double v = value;
  const double whole = std::trunc(std::fabs(v));
  const double frac = std::nearbyint((std::fabs(v) - whole) * 65535.0);
  const auto magnitude = static_cast<std::uint32_t>(whole * 65536.0 + frac);
  return v < 0 ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
}

std::uint32_t Signature(std::string_view text) {
  std::uint32_t sig = 0;
  for (std::size_t i = 0; i < 4; ++i)
    sig = (sig << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : ' ');
  return sig;
}

std::u16string ProfileTextUnits(std::string_view utf8Text) {
  std::u16string units;
  for (std::size_t i = 0; i < utf8Text.size();) {
    long cp = DecodeUtf8(utf8Text, i);
    if (cp < 0) cp = static_cast<unsigned char>(utf8Text[i++]);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(cp));
    }
  }
  return units;
}

TICCProfileWriter::TICCProfileWriter(std::filesystem::path fileName, TICCVersion version)
    : FileName_(std::move(fileName)), Version_(version) {}

std::unique_ptr<TICCProfileWriter> CreateProfileWriter(const std::filesystem::path& fileName,
                                                       TICCVersion version) {
  return std::make_unique<TICCProfileWriter>(fileName, version);
}

void TICCProfileWriter::SetHeader(std::uint32_t profileClass) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  SetHeader(profileClass, local);
}

void TICCProfileWriter::SetHeader(std::uint32_t profileClass, const std::tm& stamp) {
  namespace H = ICCHeader;
  std::uint8_t* h = Header_.data();
  PutLongWord(h + H::PreferredCMM, 0);
  PutLongWord(h + H::Version, Version_ == TICCVersion::V4 ? 0x04000000 : 0x02400000);
  PutLongWord(h + H::DeviceClass, profileClass);
  PutLongWord(h + H::ColorSpace, Signature("RGB "));
  // A device link has no connection space: the field names the colour space
  // of its output, RGB for ours (with XYZ there, colour engines took the
  // link's output for XYZ).
  const bool link = profileClass == Signature("link");
  PutLongWord(h + H::ConnectionSpace, Signature(link ? "RGB " : "XYZ "));
  const int date[6] = {stamp.tm_year + 1900, stamp.tm_mon + 1, stamp.tm_mday,
                       stamp.tm_hour,        stamp.tm_min,     stamp.tm_sec};
  for (int i = 0; i < 6; ++i) PutWord(h + H::DateTime + 2 * i, static_cast<std::uint16_t>(date[i]));
  PutLongWord(h + H::FileSignature, Signature("acsp"));
  PutLongWord(h + H::PrimaryPlatform, Signature("MSFT"));
  PutLongWord(h + H::Flags, 0x00000200);
  PutLongWord(h + H::DeviceManufacturer, Signature("TOVI"));
  PutLongWord(h + H::DeviceModel, 0);
  std::fill(h + H::DeviceAttributes, h + H::RenderingIntent, std::uint8_t{0});
  PutLongWord(h + H::RenderingIntent, 0);  // perceptual
  PutLongWord(h + H::Illuminant, FloatToFixed(0.9642f));
  PutLongWord(h + H::Illuminant + 4, FloatToFixed(1.0f));
  PutLongWord(h + H::Illuminant + 8, FloatToFixed(0.8249f));
  PutLongWord(h + H::Creator, Signature("TOVI"));
  // The ID is computed over the finished profile (ProfileBytes).
  std::fill(h + H::ProfileID, h + H::Size, std::uint8_t{0});
}

void TICCProfileWriter::AddTag(std::uint32_t signature, const TICCProfileStream& body) {
  // The tag table of the file format has no limit, but our builders add at
  // most six tags; a runaway caller is stopped rather than trusted.
  if (TagCount() >= MaxTags) throw std::length_error("An ICC profile holds at most 101 tags.");
  TagSignatures_.push_back(signature);
  TagOffsets_.push_back(static_cast<std::uint32_t>(TagData_.size()));
  TagSizes_.push_back(static_cast<std::uint32_t>(body.Size()));
  TagData_.append(body.Data());
  TagData_.append((4 - TagData_.size() % 4) % 4, '\0');
}

void TICCProfileWriter::AddDescription(std::string_view utf8Text) {
  AddTag(Signature("desc"),
         Version_ == TICCVersion::V4 ? TextBody(utf8Text) : DescriptionBodyV2(utf8Text));
}

void TICCProfileWriter::AddCopyright(std::string_view utf8Text) {
  AddTag(Signature("cprt"),
         Version_ == TICCVersion::V4 ? TextBody(utf8Text) : PlainTextBodyV2(utf8Text));
}

void TICCProfileWriter::AddWhitePoint(float x, float y, float z) {
  TICCProfileStream body;
  body.WriteLongWord(Signature("XYZ "));
  body.WriteLongWord(0);
  body.WriteFixed(x);
  body.WriteFixed(y);
  body.WriteFixed(z);
  AddTag(Signature("wtpt"), body);
}

void TICCProfileWriter::AddEmptySequence() {
  TICCProfileStream body;
  body.WriteLongWord(Signature("pseq"));
  body.WriteLongWord(0);
  body.WriteLongWord(0);  // no descriptions
  AddTag(Signature("pseq"), body);
}

void TICCProfileWriter::AddLut16(std::uint32_t signature, const TICCMatrix* matrix,
                                 const TICCProfileStream* colorTable, int gridPoints,
                                 std::span<const std::uint16_t> inputTable,
                                 const TICCProfileStream* outputTables, int outputEntries) {
  static constexpr TICCMatrix identity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  static constexpr std::uint16_t twoPoints[2] = {0, 65535};
  const std::span<const std::uint16_t> input = inputTable.empty() ? twoPoints : inputTable;

  TICCProfileStream body;
  body.WriteLongWord(Signature("mft2"));
  body.WriteLongWord(0);
  body.WriteByte(3);
  body.WriteByte(3);
  body.WriteByte(static_cast<std::uint8_t>(colorTable ? gridPoints : 2));
  body.WriteByte(0);
  for (float e : matrix ? *matrix : identity) body.WriteFixed(e);
  body.WriteWord(static_cast<std::uint16_t>(input.size()));
  body.WriteWord(static_cast<std::uint16_t>(outputTables ? outputEntries : 2));
  for (int channel = 0; channel < 3; ++channel)
    for (std::uint16_t v : input) body.WriteWord(v);
  if (colorTable) {
    body.WriteBytes(colorTable->Data());
  } else {
    // Identity corners, first input channel slowest.
    for (int corner = 0; corner < 8; ++corner)
      body.WriteWordTriple(corner & 4 ? 65535 : 0, corner & 2 ? 65535 : 0, corner & 1 ? 65535 : 0);
  }
  if (outputTables) {
    body.WriteBytes(outputTables->Data());
  } else {
    for (int channel = 0; channel < 3; ++channel) {
      body.WriteWord(0);
      body.WriteWord(65535);
    }
  }
  AddTag(signature, body);
}

std::string TICCProfileWriter::ProfileBytes() {
  const auto count = static_cast<std::uint32_t>(TagCount());
  const auto tableEnd = static_cast<std::uint32_t>(ICCHeader::Size + 4 + TagEntrySize * count);
  PutLongWord(Header_.data() + ICCHeader::ProfileSize,
              static_cast<std::uint32_t>(TagData_.size()) + tableEnd);
  std::string out(reinterpret_cast<const char*>(Header_.data()), ICCHeader::Size);
  AppendLongWord(out, count);
  for (std::uint32_t i = 0; i < count; ++i) {
    AppendLongWord(out, TagSignatures_[i]);
    AppendLongWord(out, TagOffsets_[i] + tableEnd);
    AppendLongWord(out, TagSizes_[i]);
  }
  out += TagData_;
  if (Version_ == TICCVersion::V4) {
    const auto id = ComputeProfileID(out);
    std::copy(id.begin(), id.end(), out.begin() + ICCHeader::ProfileID);
  }
  return out;
}

std::array<std::uint8_t, 16> ComputeProfileID(std::string_view profile) {
  std::string bytes(profile);
  if (bytes.size() >= ICCHeader::Size) {
    for (const auto& [at, length] : {std::pair{ICCHeader::Flags, std::size_t{4}},
                                     std::pair{ICCHeader::RenderingIntent, std::size_t{4}},
                                     std::pair{ICCHeader::ProfileID, std::size_t{16}}})
      std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length, '\0');
  }
  // LittleCMS's own MD5. Its cmsMD5computeID is not used: it digests the
  // profile as LittleCMS would save it, with its own header fields.
  cmsHANDLE md5 = cmsMD5alloc(nullptr);
  if (!md5) throw std::bad_alloc();
  cmsMD5add(md5, reinterpret_cast<const cmsUInt8Number*>(bytes.data()),
            static_cast<cmsUInt32Number>(bytes.size()));
  cmsProfileID digest;
  cmsMD5finish(&digest, md5);  // frees the handle
  std::array<std::uint8_t, 16> id{};
  std::copy(std::begin(digest.ID8), std::end(digest.ID8), id.begin());
  return id;
}

void TICCProfileWriter::SaveProfile(TReplace replace) {
  WriteFileAtomic(FileName_, ProfileBytes(), replace);
}

bool SaveAndFree(std::unique_ptr<TICCProfileWriter>& writer, std::string* reason,
                 TReplace replace) {
  if (!writer) {
    if (reason) *reason = "No profile to write.";
    return false;
  }
  try {
    writer->SaveProfile(replace);
  } catch (const std::exception& e) {
    if (reason) *reason = e.what();
    return false;
  }
  writer.reset();
  return true;
}
