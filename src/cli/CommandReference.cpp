#include "cli/CommandReference.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>

#include "registry/FormatTable.h"
#include "registry/ProfileIds.h"

namespace {

bool Hidden(const std::string& group) { return group.empty(); }

// "TEXT:{display,input,link}" -> display, input, link: the words an IsMember
// check accepts, as the parser describes them in the option's type.
std::vector<std::string> ChoicesOf(const std::string& typeName) {
  const auto open = typeName.find('{');
  const auto close = typeName.find('}', open);
  if (open == std::string::npos || close == std::string::npos) return {};
  std::vector<std::string> choices;
  std::string word;
  for (char c : typeName.substr(open + 1, close - open - 1)) {
    if (c == ',') {
      choices.push_back(word);
      word.clear();
    } else if (c != ' ') {
      word += c;
    }
  }
  if (!word.empty()) choices.push_back(word);
  return choices;
}

// --input-bits takes INPUT_BITS; a positional is named by its own name.
std::string ValueNameOf(const CLI::Option& option) {
  std::string name =
      option.get_lnames().empty() ? option.get_name(true) : option.get_lnames().front();
  for (char& c : name)
    c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// The output profiles as -p takes them: ids, the names people use, numbers.
std::vector<std::string> ProfileWords() {
  std::vector<std::string> words;
  const auto& profiles = LutRegistry().LutOutputProfiles();
  for (const TLutOutputProfile& profile : profiles)
    if (const std::string id = ProfileId(profile); !id.empty()) words.push_back(id);
  for (const TProfileAlias& alias : ProfileAliases()) words.emplace_back(alias.Name);
  return words;
}

// Values worth offering where the parser takes any text, by value name.
std::vector<std::string> SuggestionsFor(const std::string& valueName) {
  static const std::map<std::string, std::vector<std::string>> table = {
      {"BITS", {"default", "8", "10", "12", "14", "16"}},
      {"INPUT_BITS", {"default", "8", "10", "12", "14", "16"}},
      {"SIZE", {"default", "17", "33", "65"}},
      {"JOBS", {"1", "2", "4", "8", "16"}},
  };
  if (valueName == "PROFILE") return ProfileWords();
  const auto at = table.find(valueName);
  return at == table.end() ? std::vector<std::string>() : at->second;
}

// The values and arguments that name files (or convert's output folder).
bool TakesFile(const std::string& valueName) {
  for (const char* name : {"OUTPUT", "SECOND", "FILE", "LUT", "ICC", "IMAGE"})
    if (valueName == name) return true;
  return false;
}

TCliOptionRef DescribeOption(const CLI::Option& option) {
  TCliOptionRef ref;
  ref.Short = option.get_snames();
  ref.Long = option.get_lnames();
  ref.Description = option.get_description();
  ref.Required = option.get_required();
  if (option.get_items_expected_max() > 0) {  // flags expect none
    ref.ValueName = ValueNameOf(option);
    ref.Default = option.get_default_str();
    ref.Choices = ChoicesOf(option.get_type_name());
    if (ref.Choices.empty()) ref.Suggestions = SuggestionsFor(ref.ValueName);
    ref.TakesFile = TakesFile(ref.ValueName);
    ref.Repeats = option.get_items_expected_max() > 1;
  }
  return ref;
}

TCliCommandRef DescribeCommand(const CLI::App& app) {
  TCliCommandRef ref;
  ref.Name = app.get_name();
  ref.Description = app.get_description();
  ref.Footer = app.get_footer();
  for (const CLI::Option* option : app.get_options()) {
    if (Hidden(option->get_group())) continue;
    TCliOptionRef described = DescribeOption(*option);
    (option->nonpositional() ? ref.Options : ref.Positionals).push_back(std::move(described));
  }
  return ref;
}

}  // namespace

TCliReference DescribeCommands(const CLI::App& app) {
  TCliReference reference;
  reference.Program = app.get_name();
  reference.Version = TOVI_VERSION;
  reference.Root = DescribeCommand(app);
  for (const CLI::App* command :
       app.get_subcommands([](const CLI::App* c) { return !Hidden(c->get_group()); }))
    reference.Commands.push_back(DescribeCommand(*command));
  return reference;
}

void AddGenerateOption(CLI::App& app) {
  app.add_option_function<std::string>(
         "--generate",
         [&app](const std::string& kind) {
           const TCliReference reference = DescribeCommands(app);
           std::cout << (kind == "man" ? ManPage(reference) : ShellCompletion(reference, kind));
           throw CLI::Success();
         },
         "Print the manual page or a shell completion script")
      ->check(CLI::IsMember({"man", "bash", "zsh", "fish"}))
      ->group("");
}
