// The one step every LUT an operation writes goes through: convert, merge,
// icc2lut and lut2icc, the desktop's batch, Merge and ICC dialogs alike. It
// shapes the record for what the output holds (kind, size, domain, shaper),
// measures in memory how far the output evaluates from its source (only
// where it can differ: a table taken over as it is costs nothing), and hands
// back each loss with its cause and size, for every front end to say in the
// same words.
#pragma once

#include <vector>

#include "core/LUTFormat.h"
#include "ops/WriteLoss.h"

// The finest table of the kind asked that a source stands for: a formula's
// own, the file's own cube where its reader sampled a finer one, else the
// record's; 0 when it has none of that kind.
int FinestSize(const TLUT& lut, bool is3D);

struct TShapedLut {
  TLUT Lut;                        // what the writer is given
  std::vector<TWriteLoss> Losses;  // domain, then shaping, then what the writer drops
};

// The source shaped for the profile: its kind (a 3D format that holds
// curves before a cube, or curves alone, keeps them), the size (KeepSourceSize:
// the source's own where the profile lets it choose) and the domain where
// the format keeps it; then what the writer at these bits (-1: the
// profile's) clips, or writes in a way other readers take otherwise. The
// size must have passed CheckProfileSize.
TShapedLut ShapeForProfile(const TLutRegistry& registry, TLUT&& source,
                           const TLutOutputProfile& profile, int size, int bits);

// What an ICC profile's lut16 tables hold of a LUT: 0..1 inputs and values,
// a cube or curves of at most 4096 entries; curves and cube together become
// a 33-point cube, and the device-to-connection table of an input profile is
// a 33-point cube whatever the LUT's own size.
TShapedLut ShapeForICC(TLUT&& source, bool thirtyThreePointCube);

// The source for the profile, then written (bits -1: the profile's default);
// EOutputKept when the user kept a file the writer puts beside its output.
std::vector<TWriteLoss> WriteThroughProfile(const TLutRegistry& registry,
                                            const std::filesystem::path& output, TLUT&& source,
                                            const TLutOutputProfile& profile, int size, int bits,
                                            IConfirm* confirm, TReplace replace);
