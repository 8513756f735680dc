#include "icc/LutToICC.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"

namespace {

double DecodeSRGB(double x) {
  return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
}

std::uint16_t ToWord(double v) { return static_cast<std::uint16_t>(std::nearbyint(v * 65535.0)); }

TICCCurve MakeCurve(double (*f)(double)) {
  TICCCurve t{};
  for (int i = 0; i < 1024; ++i) t[i] = ToWord(f(i / 1023.0));
  return t;
}

// Each entry is the last step k of 65535/1023 whose sRGB-decoded value does
// not exceed the entry's linear value, i.e. the decoding table inverted from
// below. Profiles written before carry a curve that differs from this near
// black and at the top; those rows are kept as they were so that the same
// LUT still gives the same profile.
TICCCurve MakeEncodingTable() {
  static constexpr std::pair<int, int> keptRows[] = {
      {0, 0},     {1, 7},     {2, 20},    {3, 33},      {10, 98},     {50, 250},    {100, 353},
      {256, 549}, {511, 751}, {768, 901}, {1000, 1012}, {1021, 1021}, {1022, 1022}, {1023, 1023}};
  const TICCCurve& decode = SRGBDecodingTable();
  std::array<int, 1024> step{};
  int k = 0;
  for (int i = 0; i < 1024; ++i) {
    const double linear = i * 65535.0 / 1023.0;
    while (k < 1023 && decode[k + 1] <= linear) ++k;
    step[i] = k;
  }
  for (const auto& [row, value] : keptRows) step[row] = value;
  TICCCurve t{};
  for (int i = 0; i < 1024; ++i) t[i] = ToWord(step[i] / 1023.0);
  return t;
}

// The lut16 colour table of a cube, red slowest, blue fastest.
TICCProfileStream CubeTable(const TLUT& lut) {
  TICCProfileStream table;
  const int n = lut.Size3D();
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TLutRGB& c = lut.Cube(r, g, b);
        table.WriteWordTriple(LutValueToWord(c.R), LutValueToWord(c.G), LutValueToWord(c.B));
      }
  return table;
}

// Output curves of a 1D record: all red, then all green, then all blue.
TICCProfileStream CurveTables(const TLUT& lut) {
  TICCProfileStream table;
  const int m = lut.Size1D();
  for (double TLutRGB::*channel : {&TLutRGB::R, &TLutRGB::G, &TLutRGB::B})
    for (int i = 0; i < m; ++i) table.WriteWord(LutValueToWord(lut.Curve(i).*channel));
  return table;
}

void AddDeviceToPCSCorners(TICCProfileWriter& w, bool captureOne) {
  TICCProfileStream table;
  for (int corner = 0; corner < 8; ++corner)
    AppendRGBToXYZ(table, corner & 4 ? 65535 : 0, corner & 2 ? 65535 : 0, corner & 1 ? 65535 : 0,
                   captureOne);
  w.AddLut16(Signature("A2B0"), nullptr, &table, 2, {}, nullptr, 0);
}

void AddDisplayTable(TICCProfileWriter& w, const TLUT& lut) {
  const TICCCurve& encode = EncodingTable();
  if (lut.LutType == lt3D) {
    const TICCProfileStream table = CubeTable(lut);
    w.AddLut16(Signature("B2A0"), &PCSToRGBMatrix(), &table, lut.Size3D(), encode, nullptr, 0);
  } else if (lut.LutType == lt1D) {
    const TICCProfileStream curves = CurveTables(lut);
    w.AddLut16(Signature("B2A0"), &PCSToRGBMatrix(), nullptr, 0, encode, &curves, lut.Size1D());
  }
}

void AddInputTable(TICCProfileWriter& w, const TLUT& lut, bool captureOne) {
  constexpr int grid = 33;
  TICCProfileStream table;
  for (int r = 0; r < grid; ++r)
    for (int g = 0; g < grid; ++g)
      for (int b = 0; b < grid; ++b) {
        const TLutRGB c = lut.ApplyToColor({r / 32.0, g / 32.0, b / 32.0});
        AppendRGBToXYZ(table, LutValueToWord(c.R), LutValueToWord(c.G), LutValueToWord(c.B),
                       captureOne);
      }
  w.AddLut16(Signature("A2B0"), nullptr, &table, grid, {}, nullptr, 0);
}

void AddLinkTable(TICCProfileWriter& w, const TLUT& lut) {
  if (lut.LutType == lt3D) {
    const TICCProfileStream table = CubeTable(lut);
    w.AddLut16(Signature("A2B0"), nullptr, &table, lut.Size3D(), {}, nullptr, 0);
  } else if (lut.LutType == lt1D) {
    const TICCProfileStream curves = CurveTables(lut);
    w.AddLut16(Signature("A2B0"), nullptr, nullptr, 0, {}, &curves, lut.Size1D());
  }
}

constexpr float WhiteX = 0.9642f, WhiteY = 1.0f, WhiteZ = 0.8249f;

}  // namespace

const TICCCurve& SRGBDecodingTable() {
  static const TICCCurve table = MakeCurve(DecodeSRGB);
  return table;
}

const TICCCurve& Gamma18Table() {
  static const TICCCurve table = MakeCurve([](double x) { return std::pow(x, 1.8); });
  return table;
}

const TICCCurve& EncodingTable() {
  static const TICCCurve table = MakeEncodingTable();
  return table;
}

const TICCMatrix& PCSToRGBMatrix() {
  static constexpr TICCMatrix m = {6.28f, -3.24f, -0.98f, -1.96f, 3.84f,
                                   0.06f, 0.14f,  -0.45f, 2.82f};
  return m;
}

std::string DefaultProfileDescription(const std::filesystem::path& lutFile) {
  return lutFile.stem().string();
}

std::filesystem::path DefaultProfileFileName(const std::filesystem::path& lutFile) {
  return std::filesystem::path(lutFile).replace_extension(".icc");
}

std::uint16_t LutValueToWord(double v) {
  if (!(v > 0.0)) return 0;
  return ToWord(v > 1.0 ? 1.0 : v);
}

void AppendRGBToXYZ(TICCProfileStream& body, std::uint16_t r, std::uint16_t g, std::uint16_t b,
                    bool captureOneGamma) {
  const TICCCurve& table = captureOneGamma ? Gamma18Table() : SRGBDecodingTable();
  const auto linear = [&](std::uint16_t c) {
    return table[static_cast<std::size_t>(std::nearbyint(c / 65535.0 * 1023.0))] / 65535.0;
  };
  const double R = linear(r), G = linear(g), B = linear(b);
  double X, Y, Z;
  if (captureOneGamma) {
    X = (0.52473 * R + 0.30849 * G + 0.13145 * B) / 2;
    Y = (0.28487 * R + 0.65553 * G + 0.05936 * B) / 2;
    Z = (0.0303 * R + 0.13771 * G + 0.65729 * B) / 2;
  } else {
    // A small black offset keeps the PCS black slightly above zero.
    X = 0.2172 * R + 0.1918 * G + 0.0712 * B + 0.0016;
    Y = 0.1108 * R + 0.3572 * G + 0.0301 * B + 0.0017;
    Z = 0.0069 * R + 0.0483 * G + 0.3557 * B + 0.0014;
  }
  body.WriteWordTriple(ToWord(std::min(X, 1.0)), ToWord(std::min(Y, 1.0)),
                       ToWord(std::min(Z, 1.0)));
}

void BuildLutProfile(TICCProfileWriter& w, const TLUT& lut, const TLutProfileOptions& options,
                     const std::tm* stamp) {
  w.AddDescription(options.Description);
  w.AddCopyright(options.Copyright);
  std::uint32_t profileClass = 0;
  switch (options.Kind) {
    case TICCProfileKind::Display:
      profileClass = Signature("mntr");
      w.AddWhitePoint(WhiteX, WhiteY, WhiteZ);
      AddDeviceToPCSCorners(w, options.CaptureOneGamma);
      AddDisplayTable(w, lut);
      break;
    case TICCProfileKind::Input:
      profileClass = Signature("scnr");
      w.AddWhitePoint(WhiteX, WhiteY, WhiteZ);
      AddInputTable(w, lut, options.CaptureOneGamma);
      break;
    case TICCProfileKind::DeviceLink:
      profileClass = Signature("link");
      AddLinkTable(w, lut);
      w.AddEmptySequence();
      break;
  }
  if (stamp) {
    w.SetHeader(profileClass, *stamp);
  } else {
    w.SetHeader(profileClass);
  }
}

void WriteLutProfile(const std::filesystem::path& output, const TLUT& lut,
                     const TLutProfileOptions& options, TReplace replace) {
  const bool holdsData =
      (lut.LutType == lt1D && lut.Size1D() >= 2) || (lut.LutType == lt3D && lut.Size3D() >= 2);
  if (!holdsData) throw ELUTError("The LUT holds no curves or cube to put into a profile.");
  std::unique_ptr<TICCProfileWriter> writer = CreateProfileWriter(output, options.Version);
  BuildLutProfile(*writer, lut, options);
  std::string reason;
  if (!SaveAndFree(writer, &reason, replace))
    throw EFileError("Could not write the profile. " + reason);
}
