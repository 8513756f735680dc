// tovilut: the LUT converter without windows, for pipelines.
#include <iostream>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/CommandReference.h"
#include "cli/Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Tovi LUT Converter: convert colour look-up tables between formats.", "tovilut"};
  app.set_version_flag("--version", std::string("tovilut ") + TOVI_VERSION);
  app.require_subcommand(1);
  const std::vector<TCommand> commands = {AddFormatsCommand(app), AddInfoCommand(app),
                                          AddConvertCommand(app), AddMergeCommand(app),
                                          AddIcc2LutCommand(app), AddLut2IccCommand(app),
                                          AddHaldCommand(app), AddApplyCommand(app)};
  AddGenerateOption(app);
  // Set after the commands, which would otherwise inherit it.
  app.footer("Exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.");
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
