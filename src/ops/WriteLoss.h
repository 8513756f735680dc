// What writing a LUT loses: each loss with its cause, its size and the one
// sentence every front end says of it, and the measures they are taken with.
// The write step (WriteStep.h) gathers them; nothing else words them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/LUTFormat.h"

enum class TLossCause : std::uint8_t {
  Domain,  // inputs beyond the 0..1 an output covers
  Size,    // a table (or a finer formula's own table) sampled at another size
  Shaper,  // curves in front of a cube folded into the cube
  Curves,  // 1D curves sampled into a cube
  Mix,     // a cube's channel mixing, which curves cannot hold
  Clip,    // values beyond what the writer keeps
  Depth,   // a 3DL whose largest code readers take for another depth
  Codes,   // codes beyond the depth the file's header states
};

struct TWriteLoss {
  TLossCause Cause = TLossCause::Size;
  // The largest difference an input sees, in output values (for Domain: the
  // farthest input beyond 0..1); 0 when it could not be measured.
  double Size = 0;
  std::string Text;  // "The table was resampled from 16 to 17 points: up to 0.07 off."
};

// The cause as a word, for machine-readable reports: "domain", "size",
// "shaper", "curves", "mix", "clip", "depth", "codes".
std::string_view LossCauseName(TLossCause cause);

// A size as the sentences give it: four decimals below 0.01, none from 100.
std::string LossAmount(double v);

// The sentences.
TWriteLoss DomainLoss(const TLutDomain& domain);
// Sampled from `from` points (or entries) to `to`; an unmeasured size says none.
TWriteLoss SizeLoss(int from, int to, double size);
TWriteLoss ShaperLoss(double size);
TWriteLoss CurvesLoss(int cubeSize, double size);
TWriteLoss MixLoss(double size);

// The lowest and highest value of every table of the record (0 .. 0 for none).
struct TValueRange {
  double Low = 0, High = 0;
};
TValueRange ValueRange(const TLUT& lut);

// Values outside the range a writer keeps (0..high), over every table of the record.
struct TClipReport {
  std::size_t Count = 0;     // values outside the range
  double Low = 0, High = 0;  // the lowest and highest of them
};
TClipReport CountOutside(const TLUT& lut, double high);
// "3 values outside 0..1 (from -0.1 to 1.2) were clipped."; none without a count.
std::vector<TWriteLoss> ClipLoss(const TClipReport& report, double high);

// The largest difference in any channel between a source and an output made
// from it, over the output's input domain: at the source's nodes (at most 33
// a side; the output's where the source is a formula without tables) and at
// 4096 points spread at random between them, the same on every run.
double LargestDifference(const TLUT& source, const TLUT& output);

// Below this a difference is what rounding leaves, not a loss.
constexpr double LossTolerance = 1e-5;
