// How an output reads back: the largest difference between the source and
// the output file read again through detection (tovilut convert --verify).
#pragma once

#include <filesystem>
#include <string>

#include "core/LUTFormat.h"

// The output read back (through detection, as a user would) compared with
// the source at the output's nodes and at random points inside the output's
// input domain (0..1 unless it kept another): the
// largest difference in any channel. ELUTError when it cannot be read back.
double VerifyOutput(const TLutRegistry& registry, const TLUT& source,
                    const std::filesystem::path& output, const TReadOptions& options = {});
