// One file's conversion and the output options it is computed from: the
// effective size and bits of a profile choice and the output file's name.
// The batch, the dialog and the command line all go through here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/LUTFormat.h"
#include "ops/OutputCheck.h"

// Bits list position -> bits: "Default" -1, then 8, 10, 12, 14, 16.
int SelectedBits(int position);

// The size a conversion through the profile produces for the size text:
// "Default" or an invalid number gives the profile's default; then cube sizes
// are capped at 99 and curve lengths at 99,999. No lower bound here: the
// conversion refuses sizes below 2.
int EffectiveSize(const TLutRegistry& registry, const TLutOutputProfile& profile,
                  std::string_view sizeText);

// folder / file name with its extension (after the last ".") replaced by the
// profile's; a name without one gets it appended: grade.cube -> grade.swto.xml.
std::filesystem::path OutputPathFor(const std::filesystem::path& folder,
                                    const std::string& fileName, const TLutOutputProfile& profile);

// Read the input (format detected from the content), resample it into the
// profile's kind at the given size, and write it with the given bits (-1:
// the profile's default). A file no format recognises is an ELUTError. The
// confirmation answers a writer's questions about files beside its output.
// Gives the values the writer clipped to its range.
TClipReport ConvertLutFile(const TLutRegistry& registry, const std::filesystem::path& input,
                    const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                    int bits, const TReadOptions& readOptions = {}, IConfirm* confirm = nullptr);

// What the resampling of one conversion changed or lost, said as warnings.
struct TResampleReport {
  // The input's domain when the output covers only 0..1 (0..1: none lost).
  TLutDomain LostDomain;
  // A table of the output's kind whose change of size lost something: its
  // points before and after (0 when none), and the largest difference (0
  // when not measured: a reader sampled the file's finer cube itself).
  int FromSize = 0, ToSize = 0;
  double SizeLost = 0;
  // A cube written as curves: the largest difference between the two (the
  // channel mixing the curves cannot hold); 0 when none.
  double MixLost = 0;
  // The warnings, in this order: domain, size, channel mixing.
  std::vector<std::string> Warnings() const;
};

// The size a file is converted at: size, or with KeepSourceSize the file's
// own (its table of the profile's kind, capped as a typed size is) where the
// profile's size can be chosen, else the profile's default.
int ConversionSize(const TLutRegistry& registry, const TLutOutputProfile& profile, int size,
                   const TLUT& source);

// The first half of a conversion, which touches no output: the input read
// and resampled into what the profile writes, over the input's domain where
// the profile's format keeps it. A profile with INPUT_RANGE lines keeps a
// shaper in front of a cube (with one input range for every channel). When the
// format cannot keep the domain the result covers 0..1. The report (when
// given) receives what was lost or changed.
TLUT ReadResampled(const TLutRegistry& registry, const std::filesystem::path& input,
                   const TLutOutputProfile& profile, int size, const TReadOptions& readOptions,
                   TResampleReport* report = nullptr);
