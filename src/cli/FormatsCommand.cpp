// `tovilut formats`: the formats in detection order and the output profiles
// with the numbers that `convert -p` takes.
#include <cstdio>

#include "cli/Commands.h"
#include "registry/FormatTable.h"

TCommand AddFormatsCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("formats", "List the LUT formats and the output profiles");
  return {cmd, [] {
            const TLutRegistry& registry = LutRegistry();
            std::printf("Formats, in detection order:\n");
            for (int i = 0; i < registry.FormatCount(); ++i) {
              const TLUTFormat& f = *registry.GetLutFormat(i);
              std::printf("  %2d  %-36s %s\n", i, f.Name.c_str(), f.Is3D ? "3D" : "1D");
            }
            std::printf("\nOutput profiles (convert -p NUMBER or NAME):\n");
            std::printf("  %2s  %-52s %-9s %-4s %6s %5s  %s\n", "#", "Name", "Extension", "Kind",
                        "Size", "Bits", "Selectable");
            for (std::size_t i = 0; i < registry.LutOutputProfiles().size(); ++i) {
              const TLutOutputProfile& p = registry.LutOutputProfiles()[i];
              const std::string bits = p.DefaultBits ? std::to_string(p.DefaultBits) : "-";
              std::string selectable = p.SizeSelectable ? "size" : "";
              if (p.BitsSelectable) selectable += selectable.empty() ? "bits" : ", bits";
              std::printf("  %2zu  %-52s %-9s %-4s %6d %5s  %s\n", i, p.Name.c_str(),
                          ("." + p.Extension).c_str(),
                          registry.ProfileFormat(p).Is3D ? "3D" : "1D", p.DefaultSize,
                          bits.c_str(), selectable.c_str());
            }
            return 0;
          }};
}
