// The generated manual page and shell completions, checked by the shells
// themselves: each script is loaded and asked to complete real command lines.
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "TestSupport.h"

namespace {

struct TShellRun {
  int status;
  std::string out;
};

TShellRun Shell(const std::string& command) {
  TShellRun run{};
  FILE* pipe = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    run.out.append(buffer.data(), got);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

class CommandReference : public TempDirTest {
 protected:
  fs::path Generate(const std::string& kind) {
    const fs::path file = Path("reference." + kind);
    const TShellRun run =
        Shell(std::string(TOVILUT_EXE) + " --generate " + kind + " > '" + file.string() + "'");
    EXPECT_EQ(run.status, 0) << run.out;
    return file;
  }
};

// Words on the command line before the cursor, the word being completed, and
// the answers expected (space-separated, in the shell's order).
struct TCompletionCase {
  const char* line;
  const char* expected;
};
const TCompletionCase CompletionCases[] = {
    {"tovilut con", "convert"},
    {"tovilut --ver", "--version"},
    {"tovilut convert --sk", "--skip-existing"},
    {"tovilut lut2icc --class ", "display input link"},
    {"tovilut lut2icc -o out.icc --class i", "input"},
    {"tovilut merge -p 3 --over", "--overwrite"},
};

TEST_F(CommandReference, BashCompletesCommandsOptionsAndChoices) {
  const fs::path script = Generate("bash");
  for (const TCompletionCase& c : CompletionCases) {
    // COMP_WORDS as bash splits the line; a trailing space starts a new word.
    std::string line = c.line;
    const std::string words = line.back() == ' ' ? "(" + line + "\"\")" : "(" + line + ")";
    const TShellRun run =
        Shell("bash -c 'source " + script.string() + "; COMP_WORDS=" + words +
              "; COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tovilut; echo \"${COMPREPLY[*]}\"'");
    EXPECT_EQ(run.out, std::string(c.expected) + "\n") << c.line;
  }
  // A value of an option without a list, and file arguments, are left to
  // the shell's file name completion.
  const TShellRun run = Shell("bash -c 'source " + script.string() +
                              "; COMP_WORDS=(tovilut convert -o \"\"); COMP_CWORD=3; _tovilut; "
                              "echo \"[${COMPREPLY[*]}]\"; complete -p tovilut'");
  EXPECT_EQ(run.out, "[]\ncomplete -o default -F _tovilut tovilut\n");
}

TEST_F(CommandReference, FishCompletesCommandsOptionsAndChoices) {
  if (Shell("command -v fish").status != 0) GTEST_SKIP() << "fish is not installed";
  const fs::path script = Generate("fish");
  for (const TCompletionCase& c : CompletionCases) {
    const TShellRun run = Shell("fish --no-config -c 'source " + script.string() +
                                "; complete -C \"" + c.line + "\"'");
    std::string names;  // each answer is "word<TAB>description"
    std::size_t start = 0;
    for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string answer = run.out.substr(start, end - start);
      names += (names.empty() ? "" : " ") + answer.substr(0, answer.find('\t'));
    }
    EXPECT_EQ(names, c.expected) << c.line << "\n" << run.out;
  }
}

TEST_F(CommandReference, ZshScriptParses) {
  if (Shell("command -v zsh").status != 0) GTEST_SKIP() << "zsh is not installed";
  const fs::path script = Generate("zsh");
  EXPECT_TRUE(Has(ReadText(script), "#compdef tovilut\n"));
  const TShellRun run = Shell("zsh -n " + script.string());
  EXPECT_EQ(run.status, 0) << run.out;
}

TEST_F(CommandReference, ManPageListsEveryCommandWithItsOptions) {
  const std::string page = ReadText(Generate("man"));
  EXPECT_TRUE(Has(page, ".TH TOVILUT 1 \"\" \"tovilut " TOVI_VERSION "\"")) << page;
  EXPECT_TRUE(Has(page, ".SH NAME\ntovilut \\- convert colour look-up tables between formats\n"));
  for (const char* command :
       {"formats", "info", "convert", "merge", "icc2lut", "lut2icc", "hald", "apply"})
    EXPECT_TRUE(Has(page, std::string(".SS ") + command + "\n")) << command;
  EXPECT_TRUE(Has(page, "\\fB\\-p\\fR, \\fB\\-\\-profile\\fR \\fIPROFILE\\fR\n"));
  EXPECT_TRUE(Has(page, "(one of: display input link)"));
  EXPECT_TRUE(Has(page, "Exit status: 0 when every file succeeded"));
}

TEST_F(CommandReference, TheGenerateOptionStaysHidden) {
  for (const char* kind : {"man", "bash", "zsh", "fish"})
    EXPECT_FALSE(Has(ReadText(Generate(kind)), "generate")) << kind;
  EXPECT_FALSE(Has(Shell(std::string(TOVILUT_EXE) + " --help").out, "generate"));
  EXPECT_EQ(Shell(std::string(TOVILUT_EXE) + " --generate powershell").status, 2);
}

}  // namespace
