// `tovilut formats`: the formats in detection order and the output profiles
// with the numbers, ids and other names that `-p` takes; `--json` for pipelines.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "registry/FormatTable.h"
#include "registry/ProfileIds.h"

namespace {

const char* KindOf(const TLUTFormat& format) { return format.Is3D ? "3D" : "1D"; }

void PrintFormatsJson(const TLutRegistry& registry) {
  std::vector<std::string> formats;
  for (int i = 0; i < registry.FormatCount(); ++i) {
    const TLUTFormat& f = *registry.GetLutFormat(i);
    formats.push_back(TJsonObject()
                          .Add("number", i)
                          .Add("name", f.Name)
                          .Add("kind", KindOf(f))
                          .Add("read", f.Can(fcRead))
                          .Add("write", f.Can(fcWrite))
                          .Text());
  }
  std::vector<std::string> profiles;
  for (std::size_t i = 0; i < registry.LutOutputProfiles().size(); ++i) {
    const TLutOutputProfile& p = registry.LutOutputProfiles()[i];
    TJsonObject profile;
    profile.Add("number", static_cast<long long>(i)).Add("id", ProfileId(p)).Add("name", p.Name);
    profile.Add("extension", "." + p.Extension).Add("kind", KindOf(registry.ProfileFormat(p)));
    profile.Add("size", p.DefaultSize).Add("sizeSelectable", p.SizeSelectable);
    if (p.DefaultBits) {
      profile.Add("bits", p.DefaultBits);
    } else {
      profile.AddNull("bits");
    }
    profile.Add("bitsSelectable", p.BitsSelectable);
    profile.AddRaw("names", JsonStringArray(ProfileAliasesOf(p)));
    profiles.push_back(profile.Text());
  }
  std::cout << TJsonObject().AddRaw("formats", JsonArray(formats)).AddRaw("profiles", JsonArray(profiles)).Text()
            << std::endl;
}

void PrintFormats(const TLutRegistry& registry) {
  std::printf("Formats, in detection order:\n");
  for (int i = 0; i < registry.FormatCount(); ++i) {
    const TLUTFormat& f = *registry.GetLutFormat(i);
    std::printf("  %2d  %-36s %s\n", i, f.Name.c_str(), KindOf(f));
  }
  std::printf("\nOutput profiles (-p NUMBER, ID or NAME):\n");
  std::printf("  %2s  %-16s %-52s %-9s %-4s %6s %5s  %s\n", "#", "Id", "Name", "Extension", "Kind",
              "Size", "Bits", "Selectable");
  for (std::size_t i = 0; i < registry.LutOutputProfiles().size(); ++i) {
    const TLutOutputProfile& p = registry.LutOutputProfiles()[i];
    const std::string bits = p.DefaultBits ? std::to_string(p.DefaultBits) : "-";
    const std::string id = ProfileId(p);
    std::string selectable = p.SizeSelectable ? "size" : "";
    if (p.BitsSelectable) selectable += selectable.empty() ? "bits" : ", bits";
    std::printf("  %2zu  %-16s %-52s %-9s %-4s %6d %5s  %s\n", i, id.empty() ? "-" : id.c_str(),
                p.Name.c_str(), ("." + p.Extension).c_str(), KindOf(registry.ProfileFormat(p)),
                p.DefaultSize, bits.c_str(), selectable.c_str());
  }
  std::printf("\nNames of the programs that read them (-p NAME):\n");
  for (const TProfileAlias& alias : ProfileAliases())
    std::printf("  %-16.*s %.*s\n", static_cast<int>(alias.Name.size()), alias.Name.data(),
                static_cast<int>(alias.Id.size()), alias.Id.data());
}

}  // namespace

TCommand AddFormatsCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("formats", "List the LUT formats and the output profiles");
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "Print the lists as JSON");
  return {cmd, [json] {
            if (*json) {
              PrintFormatsJson(LutRegistry());
            } else {
              PrintFormats(LutRegistry());
            }
            return 0;
          }};
}
