// `tovilut info FILE...`: the detected format, then the lines the preview
// pane shows (kind, size, comment lines); for an ICC profile, its class,
// colour spaces, version, texts and colour tables.
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/LutInfo.h"
#include "icc/ICCProfileInfo.h"

TCommand AddInfoCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "info", "Show the format, kind, size and comments of LUT files, or what an ICC profile is");
  auto files = std::make_shared<std::vector<std::string>>();
  cmd->add_option("FILE", *files, "LUT files or ICC profiles")->required();
  return {cmd, [files] {
            const TLutRegistry& registry = LutRegistry();
            int status = 0;
            for (const std::string& file : *files) {
              try {
                if (IsICCProfileFile(file)) {
                  const TICCProfileInfo info = ReadICCProfileInfo(file);
                  std::cout << file << "\n  Format: ICC profile\n";
                  for (const std::string& line : ICCProfileInfoLines(info))
                    std::cout << "  " << line << "\n";
                  continue;
                }
                TLUT lut;
                registry.LoadLut(file, lut, -1);
                std::cout << file << "\n";
                if (lut.FormatIndex < 0) {
                  std::cout << "  Format: unknown\n";
                  continue;
                }
                std::cout << "  Format: " << registry.GetLutFormat(lut.FormatIndex)->Name << "\n";
                for (const std::string& line : LutInfoLines(lut)) std::cout << "  " << line << "\n";
              } catch (const std::exception& e) {
                std::cout.flush();
                ReportFailure(file, e);
                status = 1;
              }
            }
            return status;
          }};
}
