// What an output keeps of its source: the values an integer writer clips to
// its range, said as a warning, and the largest difference between the
// source and the output read back (tovilut convert --verify).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "core/LUTFormat.h"

struct TClipReport {
  std::size_t Count = 0;  // values outside the range the profile writes
  double Low = 0, High = 0;  // the lowest and highest of the clipped values
};

// The values of the record (the kind the profile writes, already resampled)
// that the profile's writer clips; none for formats that write any value.
TClipReport CountClipped(const TLutRegistry& registry, const TLutOutputProfile& profile,
                         const TLUT& lut);
// "3 values outside 0..1 (from -0.1 to 1.2) were clipped.", the range of the
// clipped values; empty for none.
std::string ClipWarning(const TClipReport& report);
// For a 3DL output whose largest code readers take for another depth than
// the bits it is written at (-1: the profile's default), which happens to a
// table far darker than full scale: what it reads back as. Empty otherwise.
std::string DepthWarning(const TLutRegistry& registry, const TLutOutputProfile& profile,
                         const TLUT& lut, int bits);
// For an output that covers 0..1 of an input over the domain:
// "Inputs outside 0..1 are lost (the input domain is -1 .. 3)."
std::string DomainWarning(const TLutDomain& domain);

// The output read back (through detection, as a user would) compared with
// the source at the output's nodes and at random points inside the output's
// input domain (0..1 unless it kept another): the
// largest difference in any channel. ELUTError when it cannot be read back.
double VerifyOutput(const TLutRegistry& registry, const TLUT& source,
                    const std::filesystem::path& output, const TReadOptions& options = {});
