// Completion scripts for bash, zsh and fish: the commands, each command's
// options, the words an option accepts (the parser's list, or the profile
// ids and names and the usual values of the reference), and file names for
// the values and arguments that name files.
#include <sstream>

#include "cli/CommandReference.h"

namespace {

std::string Join(const std::vector<std::string>& words, const std::string& separator = " ") {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) out += (i ? separator : "") + words[i];
  return out;
}

std::vector<std::string> DashedNames(const TCliOptionRef& o) {
  std::vector<std::string> names;
  for (const std::string& s : o.Short) names.push_back("-" + s);
  for (const std::string& l : o.Long) names.push_back("--" + l);
  return names;
}

// Inside a single-quoted word of sh and zsh.
std::string ShQuoted(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out;
}

// bash: the command is the first word that names one; the word before the
// cursor decides whether a value is wanted. File names are offered only for
// a value or argument that names a file; a value the parser takes as any
// text (an id, a description) gets nothing.
std::string Bash(const TCliReference& r) {
  std::ostringstream out;
  const std::string fn = "_" + r.Program;
  const std::string files = "COMPREPLY=($(compgen -f -- \"$cur\"))";
  std::vector<std::string> names;
  for (const TCliCommandRef& c : r.Commands) names.push_back(c.Name);
  out << "# bash completion for " << r.Program << "\n"
      << fn << "() {\n"
      << "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= words= "
         "i\n"
      << "  COMPREPLY=()\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "    case ${COMP_WORDS[i]} in\n"
      << "      " << Join(names, "|") << ") command=${COMP_WORDS[i]}; break ;;\n"
      << "    esac\n"
      << "  done\n"
      << "  case $command in\n";
  auto branch = [&](const std::string& label, const TCliCommandRef& c,
                    const std::string& extraWords) {
    std::vector<std::string> words;
    std::ostringstream values;
    for (const TCliOptionRef& o : c.Options) {
      const std::vector<std::string> dashed = DashedNames(o);
      words.insert(words.end(), dashed.begin(), dashed.end());
      if (o.ValueName.empty()) continue;
      values << "        " << Join(dashed, "|") << ") ";
      if (!o.Offered().empty()) {
        values << "COMPREPLY=($(compgen -W '" << ShQuoted(Join(o.Offered())) << "' -- \"$cur\")); ";
      } else if (o.TakesFile) {
        values << files << "; ";
      }
      values << "return ;;\n";
    }
    bool fileArguments = false;
    for (const TCliOptionRef& p : c.Positionals) fileArguments = fileArguments || p.TakesFile;
    out << "    " << label << ")\n";
    if (!values.str().empty()) out << "      case $prev in\n" << values.str() << "      esac\n";
    out << "      words='" << ShQuoted(Join(words)) << "'\n";
    if (!extraWords.empty())
      out << "      [[ $cur == -* ]] || words='" << ShQuoted(extraWords) << "'\n";
    if (fileArguments) out << "      [[ $cur == -* ]] || { " << files << "; return; }\n";
    out << "      ;;\n";
  };
  branch("''", r.Root, Join(names));
  for (const TCliCommandRef& c : r.Commands) branch(c.Name, c, "");
  out << "  esac\n"
      << "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
      << "}\n"
      << "complete -o filenames -F " << fn << " " << r.Program << "\n";
  return out.str();
}

// zsh: the explanation of an _arguments spec sits in brackets.
std::string ZshExplanation(const std::string& text) {
  std::string out;
  for (char c : ShQuoted(text)) {
    if (c == '[' || c == ']') out += '\\';
    out += c;
  }
  return out;
}

std::string ZshAction(const TCliOptionRef& o) {
  if (!o.Offered().empty()) return "(" + Join(o.Offered()) + ")";
  return o.TakesFile ? "_files" : " ";
}

void ZshArguments(std::ostringstream& out, const TCliCommandRef& c, const std::string& indent) {
  out << indent << "_arguments -s -S \\\n";
  for (const TCliOptionRef& o : c.Options) {
    const std::vector<std::string> dashed = DashedNames(o);
    const std::string exclusive = "(" + Join(dashed) + ")";
    for (const std::string& name : dashed) {
      out << indent << "  '" << exclusive << name;
      if (!o.ValueName.empty()) out << (name.size() == 2 ? "+" : "=");
      out << "[" << ZshExplanation(o.Description) << "]";
      if (!o.ValueName.empty()) out << ":" << o.ValueName << ":" << ZshAction(o);
      out << "' \\\n";
    }
  }
  int position = 1;
  for (const TCliOptionRef& p : c.Positionals) {
    out << indent << "  '" << (p.Repeats ? std::string("*") : std::to_string(position++)) << ":"
        << p.ValueName << ":" << ZshAction(p) << "' \\\n";
  }
  out << indent << "  && return 0\n";
}

std::string Zsh(const TCliReference& r) {
  std::ostringstream out;
  out << "#compdef " << r.Program << "\n\n"
      << "_" << r.Program << "() {\n"
      << "  local curcontext=$curcontext state line\n"
      << "  typeset -A opt_args\n";
  out << "  _arguments -C \\\n";
  for (const TCliOptionRef& o : r.Root.Options)
    for (const std::string& name : DashedNames(o))
      out << "    '(- *)" << name << "[" << ZshExplanation(o.Description) << "]' \\\n";
  out << "    '1:command:->command' \\\n"
      << "    '*::argument:->argument' && return 0\n"
      << "  case $state in\n"
      << "    command)\n"
      << "      local -a commands=(\n";
  for (const TCliCommandRef& c : r.Commands)
    out << "        '" << c.Name << ":" << ShQuoted(c.Description) << "'\n";
  out << "      )\n"
      << "      _describe -t commands '" << r.Program << " command' commands ;;\n"
      << "    argument)\n"
      << "      case $words[1] in\n";
  for (const TCliCommandRef& c : r.Commands) {
    out << "        " << c.Name << ")\n";
    ZshArguments(out, c, "          ");
    out << "          ;;\n";
  }
  out << "      esac ;;\n"
      << "  esac\n"
      << "}\n\n"
      << "_" << r.Program << " \"$@\"\n";
  return out.str();
}

// fish: single quotes, with \' and \\ inside.
std::string FishQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

void FishOption(std::ostringstream& out, const std::string& head, const TCliOptionRef& o) {
  out << head;
  for (const std::string& s : o.Short) out << " -s " << s;
  for (const std::string& l : o.Long) out << " -l " << l;
  if (!o.Offered().empty()) {
    out << " -x -k -a " << FishQuoted(Join(o.Offered()));  // in the order given
  } else if (o.TakesFile) {
    out << " -r -F";
  } else if (!o.ValueName.empty()) {
    out << " -x";
  }
  out << " -d " << FishQuoted(o.Description) << "\n";
}

std::string Fish(const TCliReference& r) {
  std::ostringstream out;
  const std::string complete = "complete -c " + r.Program;
  out << "# fish completion for " << r.Program << "\n" << complete << " -f\n";
  const std::string atTop = complete + " -n __fish_use_subcommand";
  for (const TCliOptionRef& o : r.Root.Options) FishOption(out, atTop, o);
  for (const TCliCommandRef& c : r.Commands)
    out << atTop << " -a " << c.Name << " -d " << FishQuoted(c.Description) << "\n";
  for (const TCliCommandRef& c : r.Commands) {
    const std::string inCommand = complete + " -n '__fish_seen_subcommand_from " + c.Name + "'";
    for (const TCliOptionRef& o : c.Options) FishOption(out, inCommand, o);
    bool fileArguments = false;
    for (const TCliOptionRef& p : c.Positionals) fileArguments = fileArguments || p.TakesFile;
    if (fileArguments) out << inCommand << " -F\n";
  }
  return out.str();
}

}  // namespace

std::string ShellCompletion(const TCliReference& reference, std::string_view shell) {
  if (shell == "bash") return Bash(reference);
  if (shell == "zsh") return Zsh(reference);
  return Fish(reference);
}
