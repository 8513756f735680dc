// icc_fixtures: writes the profiles of other classes that the unit tests
// make with LittleCMS, for the interop suite to set tovilut icc2lut beside
// LittleCMS's own tools on them.
//
//   icc_fixtures DIR     writes DIR/<name>.icc for each name below
#include <iostream>

#include "icc/ICCProfilesForTests.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: icc_fixtures DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  try {
    std::filesystem::create_directories(dir);
    SaveSRGBSpaceProfile(dir / "srgb-spac.icc");
    SaveTableProfile(dir / "tables-spac.icc", cmsSigColorSpaceClass);
    SaveTableProfile(dir / "tables-display.icc", cmsSigDisplayClass);
    SaveAbstractProfile(dir / "abstract.icc");
    SaveGrayProfile(dir / "gray-display.icc", cmsSigDisplayClass);
    SaveGrayProfile(dir / "gray-input.icc", cmsSigInputClass);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
