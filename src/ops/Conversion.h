// One file's conversion and the output options it is computed from: the
// effective size and bits of a profile choice and the output file's name.
// The batch, the dialog and the command line all go through here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

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

// The first half of a conversion, which touches no output: the input read
// and resampled into what the profile writes, over the input's domain where
// the profile's format keeps it. A profile with INPUT_RANGE lines keeps a
// shaper in front of a cube when a domain other than 0..1 needs it. When the
// format cannot keep the domain the result covers 0..1 and lostDomain (when
// given) is set to the input's.
TLUT ReadResampled(const TLutRegistry& registry, const std::filesystem::path& input,
                   const TLutOutputProfile& profile, int size, const TReadOptions& readOptions,
                   TLutDomain* lostDomain = nullptr);
