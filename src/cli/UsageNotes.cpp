#include "cli/UsageNotes.h"

const std::vector<TUsageExample>& UsageExamples() {
  static const std::vector<TUsageExample> examples = {
      {"Convert a folder of LUTs (and its subfolders) to Resolve cubes, four files at a time",
       {"tovilut convert -p resolve -o resolve/ -r --jobs 4 luts/"}},
      {"Write a 3DL for Flame", {"tovilut convert -p flame -o flame/ grade.cube"}},
      {"List the cube size of every LUT with jq",
       {"tovilut info --json *.cube | jq -r '.[] | \"\\(.file) \\(.sizes[\"3D\"])\"'"}},
      {"Sample a display profile into a cube, and write a cube as a display profile",
       {"tovilut icc2lut monitor.icc -p cube-resolve -o monitor.cube",
        "tovilut lut2icc grade.cube --class display -o grade.icc"}},
      {"Grade a picture with a LUT, tetrahedral as most grading systems do",
       {"tovilut apply --interp tetrahedral grade.cube shot.tif -o graded.tif"}},
      {"The Hald round trip: write an identity, grade it in a photo editor, read it back",
       {"tovilut hald --level 8 hald.png", "tovilut convert -p cube-resolve -o looks/ hald.png"}},
      {"Merge a log-to-video LUT and a look into one cube, the first applied first",
       {"tovilut merge -p cube-resolve -o show.cube log-to-rec709.cube look.cube"}},
      {"Check a LUT by hand: what mid grey becomes", {"tovilut eval grade.cube 0.5 0.5 0.5"}},
  };
  return examples;
}

const std::vector<TExitStatus>& ExitStatuses() {
  static const std::vector<TExitStatus> statuses = {
      {0, "every file succeeded"},
      {1, "a file failed (each failure is printed as FILE[:LINE]: message on stderr)"},
      {2, "a usage error: an unknown command or option, or a value it does not take"},
      {3, "--verify could not read an output back"},
      {130, "interrupted by Ctrl-C (SIGINT); 143 for SIGTERM"},
  };
  return statuses;
}

std::string HelpFooter() {
  std::string text = "Exit status:";
  for (const TExitStatus& s : ExitStatuses())
    text += "\n  " + std::to_string(s.Status) + (s.Status < 10 ? "    " : "  ") + s.Meaning;
  text += "\n\nExamples:";
  for (const TUsageExample& example : UsageExamples()) {
    text += "\n  " + example.What + ":";
    for (const std::string& line : example.Lines) text += "\n    " + line;
  }
  text += "\n\nOutput profiles, with their ids and other names: tovilut formats";
  return text;
}
