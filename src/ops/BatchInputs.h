// The rows of a batch from what a user names: files and folders.
#pragma once

#include <filesystem>
#include <vector>

#include "ops/BatchConversion.h"

// Every named file becomes a checked row whatever it holds (the conversion
// reports a file it cannot read). A folder adds the files in it that a format
// recognises, in name order, and with `recursive` those of its subfolders;
// their captions keep the path below the named folder, so the outputs
// mirror the folders. A folder's file that no format recognises is left out
// unless its extension is one only LUT files have: then it is a row, and
// its conversion fails saying why. Each row remembers its format and reads
// at inputBits (-1: the format's own detection). A named path that does not exist is
// taken as a file, for the conversion to report.
std::vector<TLutFileRow> BatchRows(const TLutRegistry& registry,
                                   const std::vector<std::filesystem::path>& inputs,
                                   bool recursive, int inputBits);
