// lut_eval: the interop suite's window on our own evaluation. Reads a LUT the
// way tovilut does (detection, or a format number) and prints what the record
// gives for every "r g b" line on standard input, so that a script can set it
// beside another program's evaluation of the same file.
//
//   lut_eval FILE [FORMAT]     first line out: "<format> <type> <size1D> <size3D>"
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: lut_eval FILE [FORMAT] < colours\n";
    return 2;
  }
  try {
    TLUT lut;
    LutRegistry().LoadLut(argv[1], lut, argc == 3 ? std::stoi(argv[2]) : -1);
    if (lut.FormatIndex < 0) {
      std::cerr << argv[1] << ": unknown format\n";
      return 1;
    }
    std::printf("%d %d %d %d\n", lut.FormatIndex, static_cast<int>(lut.LutType), lut.Size1D(),
                lut.Size3D());
    double r, g, b;
    while (std::scanf("%lf %lf %lf", &r, &g, &b) == 3) {
      const TLutRGB y = lut.ApplyToColor({r, g, b});
      std::printf("%.17g %.17g %.17g\n", y.R, y.G, y.B);
    }
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
