// ICC profiles to LUTs and LUTs to ICC profiles as whole operations: the
// files checked and asked about, then the write step, which samples a
// colour transform once at the output's own nodes and says what a profile's
// tables cannot hold of a LUT.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "icc/ICCToLut.h"
#include "icc/LutToICC.h"
#include "ops/WriteLoss.h"

// The transform a request stands for as a record: its formula evaluates the
// transform on 16-bit inputs as the colour engine takes them, and the record
// holds no tables. A gray transform gives a 1D record; a 3D one for a gray
// transform is refused.
TLUT ICCTransformSource(const TICCTransformRequest& request, bool is3D);

// The whole conversion: the transform sampled at the size (already capped
// by EffectiveSize) through the output profile with the bits (-1: the
// profile's default), with the title given (how the LUT was made). Nothing
// is written when any step fails, or when the output exists and the
// confirmation does not answer Yes (false then). losses (when given)
// receives what the output lost.
bool ConvertICCToLut(const TLutRegistry& registry, const TICCTransformRequest& request,
                     const std::filesystem::path& output, const TLutOutputProfile& profile,
                     int size, int bits, IConfirm& confirm, const std::string& title = {},
                     std::vector<TWriteLoss>* losses = nullptr);

// Reads the LUT file (format found by its content), shapes it for the
// profile's tables (ShapeForICC) and writes the profile. A file that no
// format recognises is an ELUTError; nothing is written then, nor when the
// output exists and the confirmation does not answer Yes (false then).
bool ConvertLutToICC(const TLutRegistry& registry, const std::filesystem::path& lutFile,
                     const std::filesystem::path& output, const TLutProfileOptions& options,
                     IConfirm& confirm, const TReadOptions& readOptions = {},
                     std::vector<TWriteLoss>* losses = nullptr);
