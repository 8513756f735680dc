// The ICC writer, byte by byte: number encodings, header, tag table and
// padding, and each tag type with its defaults.
#include "icc/ICCWriteLib.h"

#include <cmath>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "icc/ICCTestSupport.h"

namespace {

std::tm Stamp(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

TEST(ICCNumbers, FixedUsesThe65535FractionScale) {
  const struct {
    float Value;
    std::uint32_t Fixed;
  } rows[] = {{0.9642f, 0x0000F6D5}, {1.0f, 0x00010000},   {0.8249f, 0x0000D32C},
              {-3.24f, 0xFFFCC290},  {-0.45f, 0xFFFF8CCD}, {0.0f, 0},
              {6.28f, 0x000647AE},   {-1.0f, 0xFFFF0000},  {2.82f, 0x0002D1EB}};
  for (const auto& row : rows) {
    EXPECT_EQ(FloatToFixed(row.Value), row.Fixed) << row.Value;
    TICCProfileStream s;
    s.WriteFixed(row.Value);
    EXPECT_EQ(BE32(s.Data(), 0), row.Fixed) << row.Value;
  }
}

TEST(ICCNumbers, StreamWritesBigEndian) {
  TICCProfileStream s;
  s.WriteByte(0xAB);
  s.WriteWord(0x1234);
  s.WriteLongWord(0x89ABCDEF);
  s.WriteWordTriple(1, 0xFFFF, 0x0100);
  EXPECT_EQ(Hex(s.Data()), "AB123489ABCDEF0001FFFF0100");
  EXPECT_EQ(SwapLongWord(0x11223344), 0x44332211u);
  EXPECT_EQ(Signature("XYZ"), Signature("XYZ "));
  EXPECT_EQ(Signature("acsp"), 0x61637370u);
}

// Every header field, for each version and for a device link, whose
// connection space field names its output colour space. The expected
// profile IDs are the MD5 of these 132 bytes with the flags, intent and ID
// fields zeroed, computed apart from the program; version 2 has no ID.
TEST(ICCProfileWriter, EmptyProfileIsHeaderAndCount) {
  const struct {
    TICCVersion Version;
    const char* Class;
    const char* Fields;  // version, class, colour space, PCS
    const char* ID;
  } rows[] = {
      // clang-format off
      {TICCVersion::V4, "mntr", "04000000" "6D6E7472" "52474220" "58595A20",
       "1CA830617D7A264FA04D55D534625D4F"},
      {TICCVersion::V4, "link", "04000000" "6C696E6B" "52474220" "52474220",
       "BA89C7B9946C935A12AD01C0E5088A02"},
      {TICCVersion::V2, "mntr", "02400000" "6D6E7472" "52474220" "58595A20",
       "00000000000000000000000000000000"},
      // clang-format on
  };
  for (const auto& row : rows) {
    TICCProfileWriter w("unused.icc", row.Version);
    w.SetHeader(Signature(row.Class), Stamp(2024, 3, 9, 17, 5, 59));
    const std::string p = w.ProfileBytes();
    ASSERT_EQ(p.size(), 132u);
    EXPECT_EQ(BE32(p, 0), 132u);
    EXPECT_EQ(BE32(p, 128), 0u);
    // clang-format off
    EXPECT_EQ(Hex(p.substr(0, 128)),
              std::string("00000084"                          // size
                          "00000000")                         // CMM
              + row.Fields +
              "07E80003000900110005003B"          // 2024-03-09 17:05:59
              "61637370" "4D534654" "00000200"    // acsp, MSFT, flags
              "544F5649" "00000000" "0000000000000000" "00000000"  // TOVI, model, attributes, intent
              "0000F6D5" "00010000" "0000D32C"    // illuminant
              "544F5649"                          // creator
              + row.ID +
              "00000000000000000000000000000000000000000000000000000000") << row.Class;
    // clang-format on
  }
}

TEST(ICCProfileWriter, ProfileIDLeavesOutFlagsIntentAndItself) {
  TICCProfileWriter w("unused.icc");
  w.AddDescription("grade");
  w.SetHeader(Signature("mntr"));
  std::string p = w.ProfileBytes();
  const auto id = ComputeProfileID(p);
  EXPECT_EQ(p.substr(ICCHeader::ProfileID, 16), std::string(id.begin(), id.end()));
  for (const std::size_t field :
       {ICCHeader::Flags, ICCHeader::RenderingIntent, ICCHeader::ProfileID})
    p[field + 3] = '\x01';
  EXPECT_EQ(ComputeProfileID(p), id);
  p[ICCHeader::DeviceAttributes + 7] = '\x01';
  EXPECT_NE(ComputeProfileID(p), id);
}

TEST(ICCProfileWriter, TagsArePaddedToFourBytes) {
  TICCProfileWriter w("unused.icc");
  w.AddDescription("abc");
  w.AddCopyright("");
  w.SetHeader(Signature("scnr"));
  const std::string p = w.ProfileBytes();
  const auto tags = TagTable(p);
  ASSERT_EQ(tags.size(), 2u);
  const std::uint32_t dataStart = 132 + 2 * 12;
  EXPECT_EQ(tags[0].Sig, "desc");
  EXPECT_EQ(tags[0].Offset, dataStart);
  EXPECT_EQ(tags[0].Size, 34u);
  EXPECT_EQ(p.substr(dataStart + 34, 2), std::string(2, '\0'));
  EXPECT_EQ(tags[1].Sig, "cprt");
  EXPECT_EQ(tags[1].Offset, dataStart + 36);
  EXPECT_EQ(tags[1].Size, 28u);
  EXPECT_EQ(p.size(), dataStart + 36 + 28);
  EXPECT_EQ(BE32(p, 0), p.size());

  EXPECT_EQ(Hex(TagBody(p, "desc")),
            "6D6C756300000000000000010000000C656E5553000000060000001C006100620063");
  const std::string_view empty = TagBody(p, "cprt");
  EXPECT_EQ(BE32(empty, 20), 0u);   // length
  EXPECT_EQ(BE32(empty, 24), 28u);  // offset
}

TEST(ICCProfileWriter, TextBecomesUtf16Units) {
  const struct {
    std::string Utf8;
    std::u16string Units;
  } rows[] = {
      {"Rec709", u"Rec709"},
      {"caf\xC3\xA9 \xC2\xA9", {u'c', u'a', u'f', 0x00E9, u' ', 0x00A9}},  // Latin-1 range
      {"\xFF\x80", {0x00FF, 0x0080}},          // bytes that are not UTF-8: Latin-1
      {"\xE2\x82\xAC", {0x20AC}},              // beyond Latin-1
      {"\xF0\x9D\x84\x9E", {0xD834, 0xDD1E}},  // beyond the BMP: a surrogate pair
      {"\xC0\xAF", {0x00C0, 0x00AF}},          // overlong form refused
  };
  for (const auto& row : rows) EXPECT_EQ(ProfileTextUnits(row.Utf8), row.Units) << row.Utf8;

  TICCProfileWriter w("unused.icc");
  w.AddDescription("\xC3\xA9\xFF");
  w.SetHeader(Signature("link"));
  const std::string profile = w.ProfileBytes();
  const std::string_view body = TagBody(profile, "desc");
  EXPECT_EQ(BE32(body, 20), 4u);
  EXPECT_EQ(BE16(body, 28), 0x00E9);
  EXPECT_EQ(BE16(body, 30), 0x00FF);
}

// Version 2 text types: ASCII with '?' for what it lacks; the description
// carries UTF-16 as well, both counts including the terminating zero.
TEST(ICCProfileWriter, VersionTwoTexts) {
  TICCProfileWriter w("unused.icc", TICCVersion::V2);
  w.AddDescription("caf\xC3\xA9");
  w.AddCopyright("(c) \xE2\x82\xAC");
  w.SetHeader(Signature("scnr"));
  const std::string p = w.ProfileBytes();
  const std::string_view desc = TagBody(p, "desc");
  ASSERT_EQ(desc.size(), 8u + 4 + 5 + 4 + 4 + 2 * 5 + 2 + 1 + 67);
  // clang-format off
  EXPECT_EQ(Hex(desc.substr(0, 38)),
            "6465736300000000" "00000005" "6361663F00"   // 'desc', ASCII "caf?"
            "00000000" "00000005" "00630061006600E90000"  // language 0, UTF-16
            "0000" "00");                                 // no ScriptCode
  // clang-format on
  EXPECT_EQ(desc.substr(38), std::string(67, '\0'));
  EXPECT_EQ(Hex(TagBody(p, "cprt")), "7465787400000000286329203F00");  // 'text', "(c) ?"
}

TEST(ICCProfileWriter, WhitePointAndSequence) {
  TICCProfileWriter w("unused.icc");
  w.AddWhitePoint(0.9642f, 1.0f, 0.8249f);
  w.AddEmptySequence();
  w.SetHeader(Signature("mntr"));
  const std::string p = w.ProfileBytes();
  EXPECT_EQ(Hex(TagBody(p, "wtpt")), "58595A20000000000000F6D5000100000000D32C");
  EXPECT_EQ(Hex(TagBody(p, "pseq")), "707365710000000000000000");
}

TEST(ICCProfileWriter, Lut16Defaults) {
  TICCProfileWriter w("unused.icc");
  w.AddLut16(Signature("A2B0"), nullptr, nullptr, 17, {}, nullptr, 300);
  w.SetHeader(Signature("link"));
  const std::string profile = w.ProfileBytes();
  const std::string_view body = TagBody(profile, "A2B0");
  ASSERT_EQ(body.size(), 124u);
  // clang-format off
  EXPECT_EQ(Hex(body.substr(0, 12)), "6D66743200000000" "03030200");
  EXPECT_EQ(Hex(body.substr(12, 36)),
            "00010000" "00000000" "00000000" "00000000" "00010000" "00000000"
            "00000000" "00000000" "00010000");
  EXPECT_EQ(Hex(body.substr(48, 4)), "00020002");
  EXPECT_EQ(Hex(body.substr(52, 12)), "0000FFFF0000FFFF0000FFFF");
  EXPECT_EQ(Hex(body.substr(64, 48)),
            "000000000000" "00000000FFFF" "0000FFFF0000" "0000FFFFFFFF"
            "FFFF00000000" "FFFF0000FFFF" "FFFFFFFF0000" "FFFFFFFFFFFF");
  EXPECT_EQ(Hex(body.substr(112, 12)), "0000FFFF0000FFFF0000FFFF");
  // clang-format on
}

TEST(ICCProfileWriter, Lut16WithEveryPartSupplied) {
  const int grid = 33;
  std::vector<std::uint16_t> input(1024);
  for (int i = 0; i < 1024; ++i) input[i] = static_cast<std::uint16_t>(i * 64);
  TICCProfileStream table;
  for (int i = 0; i < grid * grid * grid; ++i) table.WriteWordTriple(i, i + 1, i + 2);
  TICCProfileStream output;
  for (int i = 0; i < 3 * 5; ++i) output.WriteWord(static_cast<std::uint16_t>(1000 + i));
  const TICCMatrix matrix = {6.28f, -3.24f, -0.98f, -1.96f, 3.84f, 0.06f, 0.14f, -0.45f, 2.82f};

  TICCProfileWriter w("unused.icc");
  w.AddLut16(Signature("B2A0"), &matrix, &table, grid, input, &output, 5);
  w.SetHeader(Signature("mntr"));
  const std::string profile = w.ProfileBytes();
  const std::string_view body = TagBody(profile, "B2A0");
  ASSERT_EQ(body.size(), 52u + 6 * 1024 + 6 * 35937 + 6 * 5);
  EXPECT_EQ(static_cast<unsigned char>(body[10]), 33);
  EXPECT_EQ(BE32(body, 12 + 4), 0xFFFCC290u);  // e01 = -3.24
  EXPECT_EQ(BE16(body, 48), 1024);
  EXPECT_EQ(BE16(body, 50), 5);
  for (int channel = 0; channel < 3; ++channel)
    EXPECT_EQ(BE16(body, 52 + 2048 * channel + 2 * 1023), 1023 * 64);  // one curve, thrice
  const std::size_t clut = 52 + 6 * 1024;
  EXPECT_EQ(body.substr(clut, table.Size()), table.Data());
  EXPECT_EQ(body.substr(clut + table.Size()), output.Data());

  // With the 1024-entry input table but default output curves: the size the
  // display builder produces for a 33-point cube.
  TICCProfileWriter w2("unused.icc");
  w2.AddLut16(Signature("B2A0"), &matrix, &table, grid, input, nullptr, 0);
  w2.SetHeader(Signature("mntr"));
  EXPECT_EQ(TagBody(w2.ProfileBytes(), "B2A0").size(), 221830u);
}

TEST(ICCProfileWriter, ProfilesDifferOnlyInTheirDateAndID) {
  std::string made[2];
  const std::tm stamps[2] = {Stamp(2023, 1, 2, 3, 4, 5), Stamp(2025, 12, 31, 23, 59, 58)};
  for (int i = 0; i < 2; ++i) {
    TICCProfileWriter w("unused.icc");
    w.AddDescription("grade");
    w.AddLut16(Signature("A2B0"), nullptr, nullptr, 0, {}, nullptr, 0);
    w.SetHeader(Signature("link"), stamps[i]);
    made[i] = w.ProfileBytes();
  }
  ASSERT_EQ(made[0].size(), made[1].size());
  const auto inField = [](std::size_t k, std::size_t at, std::size_t size) {
    return k >= at && k < at + size;
  };
  for (std::size_t k = 0; k < made[0].size(); ++k)
    if (!inField(k, ICCHeader::DateTime, 12) && !inField(k, ICCHeader::ProfileID, 16)) {
      EXPECT_EQ(made[0][k], made[1][k]) << "byte " << k;
    }
  EXPECT_NE(made[0].substr(ICCHeader::DateTime, 12), made[1].substr(ICCHeader::DateTime, 12));
  EXPECT_NE(made[0].substr(ICCHeader::ProfileID, 16), made[1].substr(ICCHeader::ProfileID, 16));
}

TEST(ICCProfileWriter, RefusesMoreTagsThanTheTableHolds) {
  TICCProfileWriter w("unused.icc");
  TICCProfileStream body;
  body.WriteLongWord(0);
  for (int i = 0; i < TICCProfileWriter::MaxTags; ++i) w.AddTag(Signature("test"), body);
  EXPECT_THROW(w.AddTag(Signature("test"), body), std::length_error);
}

class ICCSaveTest : public TempDirTest {};

TEST_F(ICCSaveTest, SaveAndFreeWritesTheProfile) {
  const fs::path file = Write("old.icc", "previous contents");
  auto writer = CreateProfileWriter(file);
  writer->AddDescription("x");
  writer->SetHeader(Signature("mntr"));
  const std::string expected = writer->ProfileBytes();
  EXPECT_TRUE(SaveAndFree(writer));
  EXPECT_EQ(writer, nullptr);
  EXPECT_EQ(ReadWholeFile(file), expected);
}

TEST_F(ICCSaveTest, SaveAndFreeAnswersFalseAndKeepsTheWriter) {
  const fs::path file = Path("missing-folder") / "out.icc";
  auto writer = CreateProfileWriter(file);
  writer->SetHeader(Signature("mntr"));
  std::string reason;
  EXPECT_FALSE(SaveAndFree(writer, &reason));
  ASSERT_NE(writer, nullptr);
  EXPECT_NE(reason.find("out.icc"), std::string::npos) << reason;
  EXPECT_THROW(writer->SaveProfile(), EFileError);
  EXPECT_FALSE(fs::exists(file));
}

}  // namespace
