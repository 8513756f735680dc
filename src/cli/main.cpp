// tovilut: the LUT converter without windows, for pipelines.
#include <algorithm>
#include <iostream>
#include <string_view>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/CommandReference.h"
#include "cli/Commands.h"
#include "cli/UsageNotes.h"
#include "core/MemoryReuse.h"

namespace {

// "unknown command 'conver'; did you mean 'convert'?": a usage error that
// names the word and, when one is close, what was probably meant.
std::string UnknownWord(std::string_view kind, std::string_view word,
                        const std::vector<std::string>& known) {
  std::string message = "unknown " + std::string(kind) + " '" + std::string(word) + "'";
  const std::string nearest = NearestWord(word, known);
  if (!nearest.empty()) message += "; did you mean '" + nearest + "'?";
  return message;
}

// The first unexpected option of the command that was run, with the
// command's own options as the candidates; empty when every extra is a value.
std::string UnknownOption(const CLI::App& app) {
  std::vector<const CLI::App*> apps = {&app};
  for (const CLI::App* sub : app.get_subcommands()) apps.insert(apps.begin(), sub);
  for (const CLI::App* command : apps)
    for (const std::string& extra : command->remaining()) {
      if (extra.size() < 2 || extra[0] != '-') continue;
      std::vector<std::string> known;
      for (const CLI::Option* option : command->get_options()) {
        if (option->get_group().empty()) continue;  // hidden
        for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
        for (const std::string& name : option->get_snames()) known.push_back("-" + name);
      }
      return UnknownWord("option", extra.substr(0, extra.find('=')), known);
    }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  CLI::App app{"Tovi LUT Converter: convert colour look-up tables between formats.", "tovilut"};
  app.set_version_flag("--version", std::string("tovilut ") + TOVI_VERSION);
  app.require_subcommand(1);
  const std::vector<TCommand> commands = {
      AddFormatsCommand(app), AddInfoCommand(app),    AddConvertCommand(app),
      AddMergeCommand(app),   AddIcc2LutCommand(app), AddLut2IccCommand(app),
      AddHaldCommand(app),    AddApplyCommand(app),   AddEvalCommand(app)};
  AddGenerateOption(app);
  // Set after the commands, which would otherwise inherit it.
  app.footer(HelpFooter());
  if (argc < 2) {
    std::cout << app.help();
    return 2;
  }
  const std::string_view first = argv[1];
  std::vector<std::string> names;
  for (const TCommand& command : commands) names.push_back(command.App->get_name());
  if (!first.empty() && first[0] != '-' &&
      std::find(names.begin(), names.end(), first) == names.end()) {
    std::cerr << "tovilut: " << UnknownWord("command", first, names) << std::endl;
    return 2;
  }
  // "tovilut -p cube-resolve convert ...": CLI11 would call -p unknown.
  if (first.size() > 1 && first[0] == '-' && first != "-h" && first != "--help" &&
      first != "--version" && first.rfind("--generate", 0) != 0)
    for (int i = 2; i < argc; ++i)
      if (std::find(names.begin(), names.end(), argv[i]) != names.end()) {
        std::cerr << "tovilut: options go after the command: tovilut " << argv[i] << " " << first
                  << " …" << std::endl;
        return 2;
      }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::Success&) {
    return 0;
  } catch (const CLI::ExtrasError& e) {
    const std::string unknown = UnknownOption(app);
    if (unknown.empty()) {
      app.exit(e);
    } else {
      std::cerr << "tovilut: " << unknown << std::endl;
    }
    return 2;
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  try {
    for (const TCommand& command : commands)
      if (command.App->parsed()) return command.Run();
  } catch (const EUsageError& e) {
    std::cerr << "tovilut: " << e.what() << std::endl;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "tovilut: " << e.what() << std::endl;
    return 1;
  }
  return 2;
}
