// The boundary between the library and its OpenColorIO module. OpenColorIO
// reads its own formats (CLF/CTF, Cinespace, the Imageworks formats, Nuke's
// .vf, Houdini's .lut) and writes CLF; the module that uses it is loaded the
// first time one of these files is touched, so that conversions between other
// formats never load it. Nothing crosses the boundary but plain values and
// error texts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A chain that OpenColorIO evaluates itself, left behind by a reading that
// had to bake it: lookups use the chain, not the baked table.
class IOcioEvaluator {
 public:
  virtual ~IOcioEvaluator() = default;
  // Packed RGB triples through the chain, in place; safe from several threads.
  virtual void Apply(float* rgb, std::size_t count) const = 0;
};

// A LUT as the record can hold it: curves, a cube whose input is the curves'
// output, and the input domain the first table covers.
struct TOcioLutData {
  int Size1D = 0;              // 0: no curves
  std::vector<double> Curve;   // Size1D entries of r, g, b
  int Size3D = 0;              // 0: no cube
  std::vector<double> Cube;    // Size3D^3 nodes of r, g, b, blue fastest
  double DomainMin[3] = {0, 0, 0};  // the first table reads (x - min) / (max - min)
  double DomainMax[3] = {1, 1, 1};
  std::vector<std::string> Comments;
  // A chain baked onto the tables above: the chain itself, and the finest
  // cube and longest curve it holds (0 for none); no evaluator otherwise.
  std::shared_ptr<const IOcioEvaluator> Evaluator;
  int OwnSize3D = 0, OwnSize1D = 0;
  // What OpenColorIO logged while reading: how many messages, and the first.
  int LogCount = 0;
  std::string FirstLog;
};

class IOcioBridge {
 public:
  // Read any file OpenColorIO knows, with its own reader. A chain that is
  // not curves and a cube is baked through OpenColorIO's processing onto a
  // cube of bakeSize points (0: the largest the chain uses, or 33), and its
  // evaluator handed back.
  virtual bool Read(const std::string& fileName, int bakeSize, TOcioLutData& data,
                    std::string& error) const = 0;
  // A CLF document (version 3) holding the domain (as a scale and offset
  // onto 0..1), the curves (as a LUT1D, or as a Range when they are one
  // straight line equal in every channel) and the cube.
  virtual bool WriteClf(const TOcioLutData& data, std::string& text, std::string& error) const = 0;

 protected:
  ~IOcioBridge() = default;
};

// The module's one exported symbol.
#define TOVI_OCIO_BRIDGE_ENTRY "ToviOcioBridge"
using TOcioBridgeEntry = const IOcioBridge* (*)();

// The module, loaded on first use; raises ELUTError naming the package that
// adds these formats when it cannot be loaded.
const IOcioBridge& OcioBridge();
