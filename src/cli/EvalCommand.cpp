// `tovilut eval LUT R G B [R G B ...]`: colours through a LUT, one output
// line per input triple, for checking a LUT by hand and for scripts. The
// lookup is the one every command uses: the file's input domain and any
// shaper count, and --interp picks how the cube is read. "-" in place of the
// numbers reads them from stdin (any blanks, commas or line breaks between).
#include <algorithm>
#include <iostream>
#include <iterator>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "core/StringLib.h"
#include "ops/BitsOverride.h"

namespace {

struct TEvalOptions {
  std::string Lut;
  std::vector<std::string> Values;
  bool Json = false;
  std::string InputBits = "default";
  std::string Interpolation = "trilinear";
};

// The words of the command line, or of stdin for "-", as colours.
std::vector<TLutRGB> InputColours(const std::vector<std::string>& words) {
  std::vector<std::string> tokens;
  if (words.size() == 1 && words.front() == "-") {
    std::string text(std::istreambuf_iterator<char>(std::cin), {});
    for (char& c : text)
      if (c == ',' || c == '\n' || c == '\r' || c == '\t') c = ' ';
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find(' ', at), text.size());
      if (end > at) tokens.push_back(text.substr(at, end - at));
      at = end + 1;
    }
  } else {
    tokens = words;
  }
  if (tokens.empty() || tokens.size() % 3 != 0)
    throw EUsageError("give colours as R G B triples: " + std::to_string(tokens.size()) +
                      " numbers given");
  std::vector<double> numbers;
  for (const std::string& token : tokens) {
    double value = 0;
    if (!TryParseFloat(token, value)) throw EUsageError("'" + token + "' is not a number");
    numbers.push_back(value);
  }
  std::vector<TLutRGB> colours;
  for (std::size_t i = 0; i < numbers.size(); i += 3)
    colours.push_back({numbers[i], numbers[i + 1], numbers[i + 2]});
  return colours;
}

std::string JsonTriple(const TLutRGB& c) {
  return "[" + FormatShortest(c.R) + "," + FormatShortest(c.G) + "," + FormatShortest(c.B) + "]";
}

int RunEval(const TEvalOptions& o) {
  const std::vector<TLutRGB> colours = InputColours(o.Values);
  TLUT lut;
  try {
    LoadLutFile(LutRegistry(), o.Lut, lut, CliReadOptions(o.InputBits, o.Interpolation));
  } catch (const std::exception& e) {
    ReportFailure(o.Lut, e);
    return 1;
  }
  std::vector<std::string> json;
  for (const TLutRGB& in : colours) {
    const TLutRGB out = lut.ApplyToColor(in);
    if (o.Json) {
      json.push_back(
          TJsonObject().AddRaw("in", JsonTriple(in)).AddRaw("out", JsonTriple(out)).Text());
    } else {
      std::cout << FormatShortest(out.R) << " " << FormatShortest(out.G) << " "
                << FormatShortest(out.B) << "\n";
    }
  }
  if (o.Json) std::cout << JsonArray(json) << "\n";
  std::cout.flush();
  return 0;
}

}  // namespace

TCommand AddEvalCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "eval", "Print colours through a LUT, one line of R G B out for each R G B in");
  auto o = std::make_shared<TEvalOptions>();
  cmd->add_option("LUT", o->Lut, "LUT file in any readable format")->required();
  cmd->add_option("RGB", o->Values, "Input colours as R G B triples, or - to read them from stdin")
      ->required();
  cmd->add_flag("--json", o->Json, "Print an array of {\"in\": [R,G,B], \"out\": [R,G,B]}");
  AddInputBitsOption(*cmd, o->InputBits);
  AddInterpolationOption(*cmd, o->Interpolation);
  return {cmd, [o] { return RunEval(*o); }};
}
