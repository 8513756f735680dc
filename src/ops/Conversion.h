// One file's conversion and the output options it is computed from: the
// effective size and bits of a profile choice and the output file's name.
// The batch, the dialog and the command line all go through here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/LUTFormat.h"
#include "ops/WriteStep.h"

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

// Read the input (format detected from the content), shape it for the
// profile at the given size and write it with the given bits (-1: the
// profile's default). A file no format recognises is an ELUTError. The
// confirmation answers a writer's questions about files beside its output.
// Gives what the output lost (WriteStep.h).
std::vector<TWriteLoss> ConvertLutFile(const TLutRegistry& registry,
                                       const std::filesystem::path& input,
                                       const std::filesystem::path& output,
                                       const TLutOutputProfile& profile, int size, int bits,
                                       const TReadOptions& readOptions = {},
                                       IConfirm* confirm = nullptr);

// The size a file is converted at: size, or with KeepSourceSize the file's
// own (its table of the profile's kind, capped as a typed size is) where the
// profile's size can be chosen, else the profile's default.
int ConversionSize(const TLutRegistry& registry, const TLutOutputProfile& profile, int size,
                   const TLUT& source);

// The first half of a conversion, which touches no output: the input read
// (a cube finer than the record, or a transform, sampled at the size
// written) and shaped for the profile by the write step, with what it loses.
TShapedLut ReadShaped(const TLutRegistry& registry, const std::filesystem::path& input,
                      const TLutOutputProfile& profile, int size, int bits,
                      const TReadOptions& readOptions);
