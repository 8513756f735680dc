// Reading Cinespace (.csp) files ourselves, as OpenColorIO evaluates them.
//
//   CSPLUTV100
//   3D                      (or 1D)
//   BEGIN METADATA          (optional; its lines become comments)
//   END METADATA
//   2                       per channel: the prelut's point count,
//   -0.1 1.2                its input points,
//   0.0 1.0                 and its output values
//   ...                     (green, blue)
//   17 17 17                3D: the cube size per axis (1D: the entry count)
//   0.0 0.0 0.0             nodes, red fastest (1D: one entry a line)
//
// Quirks, and why:
// - Each channel's prelut keeps its own input range (R over 0..1.2, G over
//   -0.1..1): it becomes a curve over that domain in front of the table. A
//   prelut whose outputs equal its inputs plays no part, as in OpenColorIO;
//   when any channel's does, every channel's is taken.
// - A prelut is a smooth curve through its points (cubic between inner
//   points, quadratic in the two end spans), held at its end values outside
//   them, sampled on 65536 points: the curve OpenColorIO makes of it. Its
//   domain runs from its first input point to its last; one whose points
//   descend gives what that evaluation gives (its end values, nearly
//   everywhere), kept on an ascending domain with the curve reversed.
// - The METADATA block ends at the first line that starts with "END
//   METADATA"; a block without one is refused. (OpenColorIO 2.1 never
//   returns from such a file, which is why this format is read here.)
// - A 1D file with a prelut is one curve: the table applied to the prelut,
//   sampled on the prelut's points.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "core/StringLib.h"
#include "core/TextFile.h"
#include "formats/OcioFormats.h"

namespace {

constexpr int PrelutSamples = 65536;

// The numbers of a line, split at blanks; false when one is no number.
bool Numbers(std::string_view line, std::vector<double>& values) {
  values.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
    double v = 0;
    if (!TryParseFloat(line.substr(start, i - start), v)) return false;
    if (!IsLutValue(v)) throw ELUTError("A value beyond -1e6 to 1e6: no LUT means that.");
    values.push_back(v);
  }
  return true;
}

// The non-blank lines in order, each trimmed, with their line numbers.
class TLines {
 public:
  explicit TLines(const TTextFile& text) : Text(text) {}
  // The next non-blank line; ELUTError "Incomplete file." at the end.
  std::string_view Next() {
    while (Index < Text.Count()) {
      const std::string_view line = Trim(Text[Index++]);
      if (!line.empty()) return line;
    }
    throw ELUTError("Incomplete file.");
  }
  bool AtEnd() {
    while (Index < Text.Count() && Trim(Text[Index]).empty()) ++Index;
    return Index >= Text.Count();
  }
  std::size_t LineNumber() const { return Index; }

 private:
  const TTextFile& Text;
  std::size_t Index = 0;
};

int Count(std::string_view line, const char* what) {
  std::int64_t n = 0;
  if (!TryParseInt64(line, n) || n < 0)
    throw ELUTError(std::string(what) + " '" + std::string(line) + "' is not a count.");
  return n > 1000000 ? 1000000 : static_cast<int>(n);
}

// One channel's prelut as the smooth curve through its points.
class TPrelut {
 public:
  TPrelut(std::vector<double> in, std::vector<double> out) : In(std::move(in)), Out(std::move(out)) {}

  bool IsIdentity() const {
    for (std::size_t i = 0; i < In.size(); ++i)
      if (std::abs(In[i] - Out[i]) > 1e-6 * std::max(std::abs(In[i]), std::abs(Out[i])))
        return false;
    return true;
  }
  double First() const { return In.front(); }
  double Last() const { return In.back(); }

  double operator()(double x) const {
    const std::size_t n = In.size();
    if (x < In[0]) return Out[0];
    if (x > In[n - 1]) return Out[n - 1];
    // Halving as long as more than one span is left (points taken as ascending).
    std::size_t low = 0, high = n - 1;
    while (high - low > 1) {
      const std::size_t mid = (low + high) / 2;
      (x < In[mid] ? high : low) = mid;
    }
    const std::size_t i = low;
    const double f0 = Out[i], f1 = Out[i + 1];
    const double span = In[i + 1] - In[i];
    const double z = (x - In[i]) / span;
    if (n == 2) return f0 + (f1 - f0) * z;
    // Slopes at the span's ends, over the span's width, from the neighbours.
    auto slope = [&](std::size_t k) {
      const double before = (In[k] - In[k - 1]) / span, after = (In[k + 1] - In[k]) / span;
      return (Out[k + 1] - Out[k - 1]) / (before + after);
    };
    if (i == 0) {
      const double d1 = slope(1);
      return f0 + z * ((2 * f1 - 2 * f0 - d1) + z * (f0 - f1 + d1));
    }
    if (i == n - 2) {
      const double d0 = slope(i);
      return f0 + z * (d0 + z * (f1 - f0 - d0));
    }
    const double d0 = slope(i), d1 = slope(i + 1);
    return f0 + z * (d0 + z * ((3 * f1 - 3 * f0 - 2 * d0 - d1) + z * (2 * f0 - 2 * f1 + d0 + d1)));
  }

 private:
  std::vector<double> In, Out;
};

double& Channel(TLutRGB& rgb, int c) { return c == 0 ? rgb.R : c == 1 ? rgb.G : rgb.B; }
double Channel(const TLutRGB& rgb, int c) { return c == 0 ? rgb.R : c == 1 ? rgb.G : rgb.B; }

}  // namespace

void TCinespaceLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                               const TReadOptions&) const {
  TTextFile text;
  text.LoadFromFile(fileName);
  TLines lines(text);
  try {
    if (UpperCase(lines.Next()) != "CSPLUTV100")
      throw ELUTError("A Cinespace file starts with CSPLUTV100.");
    const std::string kind = UpperCase(lines.Next());
    if (kind.rfind("1D", 0) != 0 && kind.rfind("3D", 0) != 0)
      throw ELUTError("A Cinespace file is 1D or 3D, not '" + kind + "'.");
    const bool is3D = kind[0] == '3';
    std::string_view line = lines.Next();
    if (StartsWithNoCase(line, "BEGIN METADATA")) {
      for (;;) {
        if (lines.AtEnd()) throw ELUTError("The METADATA block has no END METADATA line.");
        line = lines.Next();
        if (StartsWithNoCase(line, "END METADATA")) break;
        lut.Comments.emplace_back(line);
      }
      line = lines.Next();
    }

    std::vector<TPrelut> preluts;
    std::vector<double> in, out;
    for (int c = 0; c < 3; ++c) {
      if (c > 0) line = lines.Next();
      const int points = Count(line, "The prelut point count");
      if (points < 2) {
        preluts.emplace_back(std::vector<double>{0, 1}, std::vector<double>{0, 1});
        continue;
      }
      if (!Numbers(lines.Next(), in) || !Numbers(lines.Next(), out))
        throw ELUTError("A prelut line holds something other than numbers.");
      if (static_cast<int>(in.size()) != points || static_cast<int>(out.size()) != points)
        throw ELUTError("A prelut of " + std::to_string(points) + " points has " +
                        std::to_string(in.size()) + " inputs and " + std::to_string(out.size()) +
                        " outputs.");
      if (in.front() == in.back())
        throw ELUTError("A prelut's first and last inputs are equal: it spans no domain.");
      preluts.emplace_back(in, out);
    }
    bool usePrelut = false;
    for (const TPrelut& p : preluts) usePrelut = usePrelut || !p.IsIdentity();

    std::vector<double> values;
    line = lines.Next();
    if (!Numbers(line, values)) throw ELUTError("'" + std::string(line) + "' is not a size.");
    if (is3D) {
      if (values.size() != 3 || values[0] != values[1] || values[0] != values[2] ||
          values[0] != std::floor(values[0]))
        throw ELUTError("A Cinespace cube has one whole size on every axis, not '" +
                        std::string(line) + "'.");
      const int n = values[0] > MaxCubeSize + 1 ? MaxCubeSize + 1 : static_cast<int>(values[0]);
      CheckCubeSize(n);
      lut.SetSize3D(n);
      for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
          for (int r = 0; r < n; ++r) {
            if (!Numbers(lines.Next(), values) || values.size() != 3)
              throw ELUTError("A cube line holds three numbers.");
            lut.Cube(r, g, b) = {values[0], values[1], values[2]};
          }
    } else {
      if (values.size() != 1 || values[0] != std::floor(values[0]))
        throw ELUTError("'" + std::string(line) + "' is not an entry count.");
      const int m = values[0] > MaxCurveSize + 1 ? MaxCurveSize + 1 : static_cast<int>(values[0]);
      CheckCurveSize(m);
      lut.SetSize1D(m);
      for (int i = 0; i < m; ++i) {
        if (!Numbers(lines.Next(), values) || values.size() != 3)
          throw ELUTError("A curve line holds three numbers.");
        lut.Curve(i) = {values[0], values[1], values[2]};
      }
    }
    lut.LutType = is3D ? lt3D : lt1D;
    if (!usePrelut) return;

    // The preluts sampled over their domains (ascending: a descending one
    // reversed), in front of the cube, or composed with the curves.
    TLUT table = lut;
    const TLUT* curves = is3D ? nullptr : &table;
    lut.LutType = is3D ? lt1DThen3D : lt1D;
    lut.SetSize1D(PrelutSamples);
    for (int c = 0; c < 3; ++c) {
      const TPrelut& p = preluts[static_cast<std::size_t>(c)];
      const bool descending = p.Last() < p.First();
      Channel(lut.Domain1D.Min, c) = std::min(p.First(), p.Last());
      Channel(lut.Domain1D.Max, c) = std::max(p.First(), p.Last());
      for (int i = 0; i < PrelutSamples; ++i) {
        const double t = i / (PrelutSamples - 1.0);
        const double x = p.First() + (p.Last() - p.First()) * t;
        double y = p(x);
        if (curves) {
          TLutRGB v{y, y, y};
          y = Channel(curves->Interpolate1D(v), c);
        }
        Channel(lut.Curve(descending ? PrelutSamples - 1 - i : i), c) = y;
      }
    }
    if (is3D) lut.Domain3D = TLutDomain{};
  } catch (EContentError& e) {
    if (e.Line == 0) e.Line = lines.LineNumber();
    throw;
  }
}
