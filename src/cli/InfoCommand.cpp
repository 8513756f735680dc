// `tovilut info FILE...`: the detected format, then the lines the preview
// pane shows (kind, size, comment lines) and the bits per value the file was
// read at; for an ICC profile, its class, colour spaces, version, texts and
// colour tables. `--json` gives the same for pipelines, one array of objects.
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "core/LutInfo.h"
#include "core/StringLib.h"
#include "icc/ICCProfileInfo.h"
#include "ops/BitsOverride.h"

namespace {

struct TInfoOptions {
  bool Json = false;
  std::string InputBits = "default";
  std::vector<std::string> Files;
};

const char* KindOf(TLutType type) {
  switch (type) {
    case lt1D: return "1D";
    case lt3D: return "3D";
    case lt1DThen3D: return "1D+3D";
    case ltEmpty: break;
  }
  return "empty";
}

// Integer codes are read at the depth given, or at the one the format
// worked out from the file.
int ReadBits(const TLUT& lut, int inputBits) { return inputBits == -1 ? lut.CodeBits : inputBits; }

std::string BitsText(const TLUT& lut, int inputBits) {
  if (inputBits != -1) return std::to_string(inputBits) + " bits";
  if (lut.CodeBits > 0) return std::to_string(lut.CodeBits) + " bits (from the file)";
  return "the file's own depth";
}

std::string LutJson(const std::string& file, const std::string& format, const TLUT& lut,
                    int inputBits) {
  TJsonObject object;
  object.Add("file", file).Add("format", format).Add("kind", KindOf(lut.LutType));
  TJsonObject sizes;
  if (lut.LutType == lt1D || lut.LutType == lt1DThen3D) sizes.Add("1D", lut.Size1D());
  if (lut.LutType == lt3D || lut.LutType == lt1DThen3D) sizes.Add("3D", lut.Size3D());
  object.AddRaw("sizes", sizes.Text());
  if (const int bits = ReadBits(lut, inputBits); bits > 0) {
    object.Add("bits", bits);
  } else {
    object.AddNull("bits");  // not integer codes
  }
  if (lut.InputCodeBits > 0) object.Add("input_bits", lut.InputCodeBits);
  // The inputs the LUT takes (its first table's domain).
  const TLutDomain& d = lut.InputDomain();
  auto triple = [](const TLutRGB& v) {
    return "[" + FormatShortest(v.R) + "," + FormatShortest(v.G) + "," + FormatShortest(v.B) + "]";
  };
  object.AddRaw("domain", "{\"min\":" + triple(d.Min) + ",\"max\":" + triple(d.Max) + "}");
  if (!lut.Title.empty()) object.Add("title", lut.Title);
  object.AddRaw("comments", JsonStringArray(lut.Comments));
  return object.Text();
}

int RunInfo(const TInfoOptions& o) {
  const TLutRegistry& registry = LutRegistry();
  const int inputBits = ParseBits(o.InputBits);
  const TReadOptions readOptions = CliReadOptions(o.InputBits);
  int status = 0;
  std::vector<std::string> json;
  for (const std::string& file : o.Files) {
    try {
      if (IsICCProfileFile(file)) {
        const TICCProfileInfo info = ReadICCProfileInfo(file);
        const std::vector<std::string> lines = ICCProfileInfoLines(info);
        if (o.Json) {
          json.push_back(TJsonObject()
                             .Add("file", file)
                             .Add("format", "ICC profile")
                             .AddRaw("lines", JsonStringArray(lines))
                             .Text());
          continue;
        }
        std::cout << TerminalText(file) << "\n  Format: ICC profile\n";
        for (const std::string& line : lines) std::cout << "  " << TerminalText(line) << "\n";
        continue;
      }
      TLUT lut;
      LoadLutFile(registry, file, lut, readOptions);
      const std::string format = registry.GetLutFormat(lut.FormatIndex)->Name;
      if (o.Json) {
        json.push_back(LutJson(file, format, lut, inputBits));
        continue;
      }
      std::cout << TerminalText(file) << "\n  Format: " << format << "\n";
      for (const std::string& line : LutInfoLines(lut))
        std::cout << "  " << TerminalText(line) << "\n";
      std::cout << "  Integer codes read at: " << BitsText(lut, inputBits) << "\n";
      // The input codes' depth (a 3DL shaper, an Autodesk 1D name), apart from the table's.
      if (lut.InputCodeBits > 0)
        std::cout << "  Input codes read at: " << lut.InputCodeBits << " bits (from the file)\n";
    } catch (const std::exception& e) {
      std::cout.flush();
      ReportFailure(file, e);
      status = 1;
      // In the array too, so that a pipeline sees every file it gave.
      if (o.Json) {
        TJsonObject failure;
        failure.Add("file", file).Add("error", std::string_view(e.what()));
        if (const std::size_t line = ErrorLine(e))
          failure.Add("line", static_cast<long long>(line));
        json.push_back(failure.Text());
      }
    }
  }
  if (o.Json) std::cout << JsonArray(json) << std::endl;
  return status;
}

}  // namespace

TCommand AddInfoCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "info", "Show the format, kind, size and comments of LUT files, or what an ICC profile is");
  auto o = std::make_shared<TInfoOptions>();
  cmd->add_flag("--json", o->Json, "Print the descriptions as JSON");
  AddInputBitsOption(*cmd, o->InputBits);
  cmd->add_option("FILE", o->Files, "LUT files or ICC profiles")->required();
  return {cmd, [o] { return RunInfo(*o); }};
}
