#include "formats/OcioFormats.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/LutFormula.h"
#include "core/LutWriter.h"
#include "core/StringLib.h"
#include "core/TextFile.h"
#include "formats/OcioBridge.h"

namespace {

bool HasExtension(const std::filesystem::path& fileName,
                  const std::vector<std::string_view>& extensions) {
  const std::string ext = UpperCase(fileName.extension().string());
  for (std::string_view e : extensions)
    if (ext == UpperCase(e)) return true;
  return false;
}

// The record's tables from the module's, checked against the record's limits
// before anything is stored; the domain is the first table's, as for cube files.
void StoreTables(const TOcioLutData& data, TLUT& lut) {
  if (data.Size3D > 0) CheckCubeSize(data.Size3D);
  if (data.Size1D > 0) CheckCurveSize(data.Size1D);
  lut.LutType = data.Size3D == 0 ? lt1D : data.Size1D == 0 ? lt3D : lt1DThen3D;
  lut.SetSize1D(data.Size1D);
  lut.SetSize3D(data.Size3D);
  for (int i = 0; i < data.Size1D; ++i) {
    const double* v = &data.Curve[3 * static_cast<std::size_t>(i)];
    lut.Curve(i) = {v[0], v[1], v[2]};
  }
  const double* v = data.Cube.data();
  for (int r = 0; r < data.Size3D; ++r)
    for (int g = 0; g < data.Size3D; ++g)
      for (int b = 0; b < data.Size3D; ++b, v += 3) lut.Cube(r, g, b) = {v[0], v[1], v[2]};
  const TLutDomain domain{{data.DomainMin[0], data.DomainMin[1], data.DomainMin[2]},
                          {data.DomainMax[0], data.DomainMax[1], data.DomainMax[2]}};
  (lut.LutType == lt3D ? lut.Domain3D : lut.Domain1D) = domain;
}

// A curve's output as the cube behind it reads it: where on the cube's
// domain it lands, 0 at its minimum and 1 at its maximum.
TLutRGB OntoCube(const TLUT& lut, const TLutRGB& y) {
  if (lut.LutType != lt1DThen3D) return y;
  const TLutDomain& d = lut.Domain3D;
  return {(y.R - d.Min.R) / (d.Max.R - d.Min.R), (y.G - d.Min.G) / (d.Max.G - d.Min.G),
          (y.B - d.Min.B) / (d.Max.B - d.Min.B)};
}

// A chain OpenColorIO evaluates, as the record's formula: in floats, as
// OpenColorIO works.
class TOcioFormula final : public TLutFormula {
 public:
  explicit TOcioFormula(const TOcioLutData& data)
      : Evaluator_(data.Evaluator), Own3D_(data.OwnSize3D), Own1D_(data.OwnSize1D) {}
  void Apply(TLutRGB* colours, std::size_t count) const override {
    std::vector<float> rgb(3 * count);
    for (std::size_t i = 0; i < count; ++i) {
      rgb[3 * i] = static_cast<float>(colours[i].R);
      rgb[3 * i + 1] = static_cast<float>(colours[i].G);
      rgb[3 * i + 2] = static_cast<float>(colours[i].B);
    }
    Evaluator_->Apply(rgb.data(), count);
    for (std::size_t i = 0; i < count; ++i) colours[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
  }
  int OwnSize3D() const override { return Own3D_; }
  int OwnSize1D() const override { return Own1D_; }

 private:
  std::shared_ptr<const IOcioEvaluator> Evaluator_;
  int Own3D_, Own1D_;
};

TOcioLutData TablesOf(const TLUT& lut) {
  TOcioLutData data;
  data.Comments = lut.Comments;
  const TLutDomain& d = lut.InputDomain();
  data.DomainMin[0] = d.Min.R, data.DomainMin[1] = d.Min.G, data.DomainMin[2] = d.Min.B;
  data.DomainMax[0] = d.Max.R, data.DomainMax[1] = d.Max.G, data.DomainMax[2] = d.Max.B;
  if (lut.LutType != lt3D) {
    data.Size1D = lut.Size1D();
    for (int i = 0; i < data.Size1D; ++i) {
      const TLutRGB c = OntoCube(lut, lut.Curve(i));
      data.Curve.insert(data.Curve.end(), {c.R, c.G, c.B});
    }
  }
  if (lut.LutType != lt1D) {
    data.Size3D = lut.Size3D();
    const int n = data.Size3D;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const TLutRGB& c = lut.Cube(r, g, b);
          data.Cube.insert(data.Cube.end(), {c.R, c.G, c.B});
        }
  }
  return data;
}

// OpenColorIO reads these values into 32-bit floats: eight decimals keep the
// text's rounding well below the float's own.
constexpr int Decimals = 8;

void AddTriple(TTextFile& text, const TLutRGB& rgb, std::string_view prefix = {}) {
  text.AddFilled([&](std::string& out) {
    out += prefix;
    AppendFixedTriple(out, rgb, Decimals);
  });
}

// A record with curves in front of its cube, for a file that has no curves:
// the cube alone at the same size, as a conversion would make it.
TLUT CubeOnly(const TLUT& lut) {
  if (lut.LutType != lt1DThen3D) return lut;
  return TLUT::Resampled(TLUT(lut), lt3D, lut.Size3D());
}

// OpenColorIO 2.1 never returns from many a Cinespace text whose METADATA
// block is not closed as its reader expects (found by fuzzing). It hands a
// file its own reader for the extension refuses to each of its other
// readers, so no text that starts as a Cinespace file reaches it: those are
// read by our own Cinespace reader, under their own extension.
void RefuseCinespaceText(const std::string& text) {
  std::string_view rest = text;
  if (UpperCase(Trim(CutBefore("\n", rest))).rfind("CSPLUTV100", 0) == 0)
    throw ELUTError("A Cinespace text (CSPLUTV100) is read as Cinespace, under a .csp name.");
}

// OpenColorIO's reading grows with the square of the count of operators
// (20,000 took 12 s, 4,000 under half a second); no transform worth a file
// holds thousands.
constexpr int MaxOperators = 4000;

// A CTF <Reference> makes OpenColorIO open another file itself, relative to
// the working folder or anywhere on the machine, past every check made here
// (a device is read forever, a named pipe waits forever): references are not
// followed. An element of that name (with or without a prefix) is refused, and
// a list of more than MaxOperators elements under the root, whichever of these
// formats the text comes as.
void CheckXmlElements(const std::string& text) {
  int depth = 0, operators = 0;
  for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at)) {
    const std::string_view rest = std::string_view(text).substr(at);
    if (rest.starts_with("<!--")) {
      at = text.find("-->", at);
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      at = text.find("]]>", at);
      continue;
    }
    if (rest.starts_with("<?") || rest.starts_with("<!")) {
      at = text.find('>', at);
      continue;
    }
    if (rest.starts_with("</")) {
      depth = std::max(depth - 1, 0);
      ++at;
      continue;
    }
    const std::size_t nameEnd = std::min(text.find_first_of(" \t\r\n/>", at + 1), text.size());
    std::string_view name = rest.substr(1, nameEnd - at - 1);
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos)
      name.remove_prefix(colon + 1);
    // The tag's end: the first '>' outside a quoted attribute value.
    std::size_t end = nameEnd;
    for (char quote = 0; end < text.size() && (quote || text[end] != '>'); ++end) {
      if (quote && text[end] == quote)
        quote = 0;
      else if (!quote && (text[end] == '"' || text[end] == '\''))
        quote = text[end];
    }
    if (UpperCase(name) == "REFERENCE") {
      std::string element = text.substr(at, std::min<std::size_t>(end - at + 1, 200));
      if (end - at + 1 > 200) element += "...";
      throw ELUTError("References to other files are not followed: " + element +
                      ". Make one file of the transforms it refers to.");
    }
    if (depth == 1 && ++operators > MaxOperators)
      throw ELUTError("The transform holds more than " + std::to_string(MaxOperators) +
                      " operators; no LUT needs that many.");
    if (end >= text.size()) break;
    if (text[end - 1] != '/') ++depth;
    at = end;
  }
}

}  // namespace

bool TOcioLutFormat::Detect(const std::filesystem::path& fileName) const {
  if (!HasExtension(fileName, Extensions)) return false;
  const std::string head = UpperCase(ReadFilePrefix(fileName, DetectionHeadSize));
  if (head.find('\0') != std::string::npos) return false;  // these formats are text
  if (!Signature.empty()) return head.find(Signature) != std::string::npos;
  // No keyword: the text starts with a number.
  std::string_view rest = head;
  double x;
  return TryParseFloat(Trim(CutToken(rest)), x);
}

void TOcioLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                          const TReadOptions& options) const {
  // Our own open first: a missing file gives the same error as for every format.
  (void)ReadFilePrefix(fileName, 1);
  // OpenColorIO 2.1 took gigabytes on a CLF file with NUL bytes among its
  // first lines (found by fuzzing); every one of these formats is text.
  const std::string text = ReadWholeFile(fileName);
  if (text.find('\0') != std::string::npos)
    throw ELUTError("The file holds binary data (a NUL byte), not text.");
  RefuseCinespaceText(text);
  CheckXmlElements(text);
  CheckBeforeLibrary(fileName);
  TOcioLutData data;
  std::string error;
  // OpenColorIO is given the absolute name; what it says names the file as
  // the user did.
  const std::string absolute = std::filesystem::absolute(fileName).string();
  const auto asGiven = [&](std::string said) {
    for (std::size_t at = said.find(absolute); at != std::string::npos;
         at = said.find(absolute, at + fileName.string().size()))
      said.replace(at, absolute.size(), fileName.string());
    return said;
  };
  const bool read = OcioBridge().Read(absolute, options.BakeSize, data, error);
  if (data.LogCount > 0 && options.OnWarning) {
    const std::string first = asGiven(data.FirstLog);
    const std::string from = " from the " + std::string(ReaderName) + " reader";
    options.OnWarning(fileName, data.LogCount == 1 ? "1 warning" + from + ": " + first
                                                   : std::to_string(data.LogCount) + " warnings" +
                                                         from + "; the first: " + first);
  }
  if (!read) throw ELUTError(asGiven(error));
  StoreTables(data, lut);
  if (data.Evaluator) lut.Formula = std::make_shared<const TOcioFormula>(data);
  lut.Comments.insert(lut.Comments.end(), data.Comments.begin(), data.Comments.end());
}

// --- Academy/ASC Common LUT Format -------------------------------------------

void TClfLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                          const TWriteContext& context) const {
  std::string text, error;
  if (!OcioBridge().WriteClf(TablesOf(lut), text, error)) throw ELUTError(error);
  WriteFileAtomic(fileName, text, context.Replace);
}

// A scale and offset in front of the first table carries any domain.
bool TClfLutFormat::KeepsDomain(const TLutDomain&) const { return true; }

// --- Imageworks matrix ---------------------------------------------------------

void TSpiMatrixLutFormat::CheckBeforeLibrary(const std::filesystem::path& fileName) const {
  std::string text = ReadWholeFile(fileName);
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  std::string_view rest = text;
  int count = 0;
  for (std::string_view token = CutToken(rest); !token.empty(); token = CutToken(rest)) {
    double value;
    if (!TryParseFloat(token, value))
      throw ELUTError("A matrix file holds numbers only, not '" + std::string(token) + "'.");
    ++count;
  }
  if (count != 12)
    throw ELUTError("A matrix file holds 12 numbers (3 rows of 4), not " + std::to_string(count) +
                    ".");
}

// --- Cinespace ----------------------------------------------------------------
// CSPLUTV100, 3D, a metadata block, then per channel a curve given as its
// input points and output values, then the cube, red fastest:
//   CSPLUTV100
//   3D
//   BEGIN METADATA
//   END METADATA
//   2
//   0.0 1.0
//   0.0 1.0      (three such curves)
//   17 17 17
//   0.0 0.0 0.0  ...
// The curves' input points carry a domain: a cube over -1..3 gets the
// straight curve from -1..3 onto 0..1.

void TCinespaceLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                const TWriteContext& context) const {
  const bool cube = lut.LutType != lt1D;
  TTextFile text;
  text.Add("CSPLUTV100");
  text.Add(cube ? "3D" : "1D");
  text.Add("");
  text.Add("BEGIN METADATA");
  for (const std::string& comment : lut.Comments) text.Add(comment);
  text.Add("END METADATA");
  text.Add("");
  // A shaper in front of the cube is the prelut; otherwise the prelut is
  // a straight line carrying the domain. Readers take a prelut for a smooth
  // curve through its points, where the shaper runs straight between its
  // entries: written on at least 16 points an entry and 4096 in all (at
  // most 65536), that curve keeps within a few millionths of the straight
  // pieces.
  const bool curves = lut.LutType == lt1DThen3D;
  const int spans = lut.Size1D() - 1;
  const int m = curves ? std::min(std::max(16, (4095 + spans) / spans) * spans + 1, 65536) : 2;
  const TLutDomain& domain = lut.InputDomain();
  for (int c = 0; c < 3; ++c) {
    text.Add(std::to_string(m));
    std::string in, out;
    const double min = c == 0 ? domain.Min.R : c == 1 ? domain.Min.G : domain.Min.B;
    const double max = c == 0 ? domain.Max.R : c == 1 ? domain.Max.G : domain.Max.B;
    for (int i = 0; i < m; ++i) {
      const double t = i / (m - 1.0);
      const TLutRGB y = curves ? OntoCube(lut, lut.Interpolate1D(TLutRGB{(1 - t) * min + t * max,
                                                                         (1 - t) * min + t * max,
                                                                         (1 - t) * min + t * max}))
                               : TLutRGB{t, t, t};
      if (i > 0) in += ' ', out += ' ';
      in += FormatFixed(Decimals, (1 - t) * min + t * max);
      out += FormatFixed(Decimals, c == 0 ? y.R : c == 1 ? y.G : y.B);
    }
    text.Add(in);
    text.Add(out);
  }
  text.Add("");
  if (!cube) {
    text.Add(std::to_string(lut.Size1D()));
    for (int i = 0; i < lut.Size1D(); ++i) AddTriple(text, lut.Curve(i));
    text.SaveToFile(fileName, context.Replace);
    return;
  }
  const std::string n = std::to_string(lut.Size3D());
  text.Add(n + " " + n + " " + n);
  AddFixedNodes(text, lut, TNodeOrder::RedFastest, TColumns::RGB, Decimals);
  text.SaveToFile(fileName, context.Replace);
}

// A profile gives this writer a cube alone, whose domain the curves carry.
bool TCinespaceLutFormat::KeepsDomain(const TLutDomain&) const { return true; }

// --- Sony Imageworks 1D ---------------------------------------------------------
//   Version 1
//   From 0.0 1.0
//   Length 4096
//   Components 3
//   {
//     r g b  ...
//   }

void TSpi1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                            const TWriteContext& context) const {
  TTextFile text;
  text.Add("Version 1");
  const TLutDomain& d = lut.Domain1D;
  text.Add(d.IsUnit() ? std::string("From 0.0 1.0")
                      : "From " + FormatShortest(d.Min.R) + " " + FormatShortest(d.Max.R));
  text.Add("Length " + std::to_string(lut.Size1D()));
  text.Add("Components 3");
  text.Add("{");
  for (int i = 0; i < lut.Size1D(); ++i) AddTriple(text, lut.Curve(i), "    ");
  text.Add("}");
  text.SaveToFile(fileName, context.Replace);
}

bool TSpi1DLutFormat::KeepsDomain(const TLutDomain& domain) const { return domain.IsUniform(); }

// --- Sony Imageworks 3D ---------------------------------------------------------
// Every node with its indices, so the order is free; ours is blue fastest:
//   SPILUT 1.0
//   3 3
//   17 17 17
//   0 0 0 0.0 0.0 0.0  ...

void TSpi3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                            const TWriteContext& context) const {
  const TLUT cube = CubeOnly(lut);
  const int n = cube.Size3D();
  TTextFile text;
  text.Reserve(static_cast<std::size_t>(n) * n * n + 3, static_cast<std::size_t>(n) * n * n * 40);
  text.Add("SPILUT 1.0");
  text.Add("3 3");
  text.Add(std::to_string(n) + " " + std::to_string(n) + " " + std::to_string(n));
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        AddTriple(text, cube.Cube(r, g, b),
                  std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + " ");
  text.SaveToFile(fileName, context.Replace);
}
