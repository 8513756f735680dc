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
    {"tovilut convert -p cube-r", "cube-resolve"},
    {"tovilut convert -p resol", "resolve"},
    {"tovilut merge -p fla", "flame"},
    {"tovilut convert -b ", "default 8 10 12 14 16"},
    {"tovilut info --input-bits 1", "10 12 14 16"},
    {"tovilut convert --size ", "default 17 33 65"},
    {"tovilut convert --jobs ", "1 2 4 8 16"},
    {"tovilut apply --interp t", "trilinear tetrahedral"},
    {"tovilut convert --cdl-id ", ""},  // an id, not a file
    {"tovilut ev", "eval"},
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
  // File names where a file is expected: -o, --second, the arguments.
  Write("grade.cube", "");
  Write("guide.txt", "");
  for (const char* line : {"tovilut convert -o g", "tovilut icc2lut --second g", "tovilut info g",
                           "tovilut eval g"}) {
    const TShellRun run = Shell("cd '" + Dir.string() + "' && bash -c 'source " + script.string() +
                                "; COMP_WORDS=(" + line + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                "_tovilut; echo \"${COMPREPLY[*]}\"'");
    EXPECT_EQ(run.out, "grade.cube guide.txt\n") << line;
  }
  EXPECT_EQ(Shell("bash -c 'source " + script.string() + "; complete -p tovilut'").out,
            "complete -o filenames -F _tovilut tovilut\n");
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
       {"formats", "info", "convert", "merge", "icc2lut", "lut2icc", "hald", "apply", "eval"})
    EXPECT_TRUE(Has(page, std::string(".SS ") + command + "\n")) << command;
  EXPECT_TRUE(Has(page, "\\fB\\-p\\fR, \\fB\\-\\-profile\\fR \\fIPROFILE\\fR\n"));
  EXPECT_TRUE(Has(page, "(one of: display input link)"));
  // The synopsis shows the options a command cannot go without.
  EXPECT_TRUE(Has(page, "\\fBconvert\\fR \\fB\\-p\\fR \\fIPROFILE\\fR \\fB\\-o\\fR \\fIOUTPUT\\fR "
                        "[\\fIOPTIONS\\fR] \\fIFILE\\fR...\n"))
      << page;
  EXPECT_TRUE(Has(page, ".SH \"EXIT STATUS\"\n.TP\n.B 0\n")) << page;
  for (const char* status : {".B 1\n", ".B 2\n", ".B 3\n", ".B 130\n"}) EXPECT_TRUE(Has(page, status));
  EXPECT_TRUE(Has(page, ".SH \"OUTPUT PROFILES\"\n")) << page;
  EXPECT_TRUE(Has(page, "\\fBcube\\-resolve\\fR\nCube 3D Davinci (also \\fBresolve\\fR, \\fBdavinci\\fR)\n"))
      << page;
  EXPECT_TRUE(Has(page, ".SH EXAMPLES\n")) << page;
  EXPECT_TRUE(Has(page, "tovilut convert \\-p resolve \\-o resolve/ \\-r \\-\\-jobs 4 luts/\n")) << page;
  EXPECT_TRUE(Has(page, "\\-\\-interp tetrahedral")) << page;
  EXPECT_TRUE(Has(page, "trilinear interpolation")) << page;
  // --help says the same in short.
  const std::string help = Shell(std::string(TOVILUT_EXE) + " --help").out;
  for (const char* piece : {"130  interrupted by Ctrl-C", "3    --verify", "Examples:",
                            "tovilut info --json *.cube | jq"})
    EXPECT_TRUE(Has(help, piece)) << piece << "\n" << help;
}

TEST_F(CommandReference, TheGenerateOptionStaysHidden) {
  for (const char* kind : {"man", "bash", "zsh", "fish"})
    EXPECT_FALSE(Has(ReadText(Generate(kind)), "generate")) << kind;
  EXPECT_FALSE(Has(Shell(std::string(TOVILUT_EXE) + " --help").out, "generate"));
  EXPECT_EQ(Shell(std::string(TOVILUT_EXE) + " --generate powershell").status, 2);
}

}  // namespace
