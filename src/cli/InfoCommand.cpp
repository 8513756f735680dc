// `tovilut info FILE...`: the detected format, then the lines the preview
// pane shows (kind, size, comment lines).
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/LutInfo.h"

TCommand AddInfoCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("info", "Show the format, kind, size and comments of LUT files");
  auto files = std::make_shared<std::vector<std::string>>();
  cmd->add_option("FILE", *files, "LUT files")->required();
  return {cmd, [files] {
            const TLutRegistry& registry = LutRegistry();
            int status = 0;
            for (const std::string& file : *files) {
              try {
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
