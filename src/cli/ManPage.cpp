// The manual page in man(7) roff: a synopsis line per command, then each
// command with its arguments and options as the parser defines them, the
// exit statuses, examples and the output profiles -p takes.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "cli/CommandReference.h"
#include "cli/UsageNotes.h"
#include "registry/FormatTable.h"
#include "registry/ProfileIds.h"

namespace {

// Text as roff shows it: backslashes escaped, and a line that would start
// with a control character made literal.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

// Option names and other literal command-line text: minus signs, not hyphens.
std::string Literal(const std::string& text) {
  std::string out;
  for (char c : Roff(text)) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string PositionalSynopsis(const TCliOptionRef& p) {
  std::string text = "\\fI" + Literal(p.ValueName) + "\\fR" + (p.Repeats ? "..." : "");
  return p.Required ? text : "[" + text + "]";
}

std::string OptionTerm(const TCliOptionRef& o) {
  std::vector<std::string> names;
  for (const std::string& s : o.Short) names.push_back("\\fB\\-" + Literal(s) + "\\fR");
  for (const std::string& l : o.Long) names.push_back("\\fB\\-\\-" + Literal(l) + "\\fR");
  std::string term;
  for (std::size_t i = 0; i < names.size(); ++i) term += (i ? ", " : "") + names[i];
  if (!o.ValueName.empty()) term += " \\fI" + Literal(o.ValueName) + "\\fR";
  return term;
}

std::string OptionText(const TCliOptionRef& o) {
  std::string text = Roff(o.Description);
  if (!o.Choices.empty()) {
    text += " (one of:";
    for (const std::string& c : o.Choices) text += " " + Literal(c);
    text += ")";
  }
  if (!o.Default.empty()) text += " (default: " + Literal(o.Default) + ")";
  if (o.Required) text += " (required)";
  return text;
}

void WriteOptions(std::ostringstream& out, const TCliCommandRef& command) {
  for (const TCliOptionRef& p : command.Positionals)
    out << ".TP\n" << PositionalSynopsis(p) << "\n" << OptionText(p) << "\n";
  for (const TCliOptionRef& o : command.Options)
    out << ".TP\n" << OptionTerm(o) << "\n" << OptionText(o) << "\n";
}

// The output profiles by number, id and caption, with the other names -p takes.
void WriteProfiles(std::ostringstream& out) {
  out << ".SH \"OUTPUT PROFILES\"\n"
      << "\\fB\\-p\\fR takes a profile's number, its id, its name (any letter case), a piece of "
         "its name that matches one profile, or one of the other names listed.\n";
  const auto& profiles = LutRegistry().LutOutputProfiles();
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const std::string id = ProfileId(profiles[i]);
    out << ".TP\n\\fB" << i << "\\fR  \\fB" << Literal(id.empty() ? "-" : id) << "\\fR\n"
        << Roff(profiles[i].Name);
    const std::vector<std::string> aliases = ProfileAliasesOf(profiles[i]);
    for (std::size_t a = 0; a < aliases.size(); ++a)
      out << (a ? ", " : " (also ") << "\\fB" << Literal(aliases[a]) << "\\fR";
    out << (aliases.empty() ? "" : ")") << "\n";
  }
}

// Blank lines of a description become paragraph breaks.
void WriteParagraphs(std::ostringstream& out, const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool pending = false;
  while (std::getline(lines, line)) {
    if (line.empty()) {
      pending = true;
      continue;
    }
    if (pending) out << ".PP\n";
    pending = false;
    out << Roff(line) << "\n";
  }
}

}  // namespace

std::string ManPage(const TCliReference& r) {
  std::ostringstream out;
  const std::string program = Literal(r.Program);
  // "Program Name: what it does." gives the NAME line "program - what it does".
  std::string summary = r.Root.Description;
  if (const auto colon = summary.find(": "); colon != std::string::npos)
    summary = summary.substr(colon + 2);
  if (!summary.empty() && summary.back() == '.') summary.pop_back();

  out << ".TH " << Upper(program) << " 1 \"\" \"" << program << " " << Literal(r.Version)
      << "\" \"User Commands\"\n";
  out << ".SH NAME\n" << program << " \\- " << Roff(summary) << "\n";
  out << ".SH SYNOPSIS\n";
  for (const TCliCommandRef& c : r.Commands) {
    out << ".B " << program << "\n"
        << "\\fB" << Literal(c.Name) << "\\fR";
    // Required options in the synopsis, so that a whole command line shows.
    for (const TCliOptionRef& o : c.Options)
      if (o.Required)
        out << " \\fB\\-" << Literal(o.Short.empty() ? "-" + o.Long.front() : o.Short.front())
            << "\\fR \\fI" << Literal(o.ValueName) << "\\fR";
    out << " [\\fIOPTIONS\\fR]";
    for (const TCliOptionRef& p : c.Positionals) out << " " << PositionalSynopsis(p);
    out << "\n.br\n";
  }
  for (const TCliOptionRef& o : r.Root.Options)
    out << ".B " << program << "\n" << OptionTerm(o) << "\n.br\n";
  out << ".SH DESCRIPTION\n";
  WriteParagraphs(out, r.Root.Description);
  out << ".SH OPTIONS\n";
  WriteOptions(out, r.Root);
  out << ".SH COMMANDS\n";
  for (const TCliCommandRef& c : r.Commands) {
    out << ".SS " << Literal(c.Name) << "\n";
    WriteParagraphs(out, c.Description);
    if (!c.Footer.empty()) {
      out << ".PP\n";
      WriteParagraphs(out, c.Footer);
    }
    WriteOptions(out, c);
  }
  WriteProfiles(out);
  out << ".SH \"EXIT STATUS\"\n";
  for (const TExitStatus& s : ExitStatuses())
    out << ".TP\n.B " << s.Status << "\n" << Roff(s.Meaning) << "\n";
  out << ".SH EXAMPLES\n";
  for (const TUsageExample& example : UsageExamples()) {
    out << ".PP\n" << Roff(example.What) << ":\n.PP\n.RS\n.nf\n";
    for (const std::string& line : example.Lines) out << Literal(line) << "\n";
    out << ".fi\n.RE\n";
  }
  return out.str();
}
