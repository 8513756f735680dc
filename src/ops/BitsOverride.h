// The per-file bits override: the depth a listed file's integer codes are
// read at, passed in the read options of every read that starts from the
// list. Reads that do not start from the list use the format's own detection.
#pragma once

#include <filesystem>
#include <string>

#include "core/LUTFormat.h"

// What the main list keeps for each recognised file.
struct TLutFileEntry {
  int BitsPerValue = -1;  // -1: let the reader work it out
  int FormatIndex = -1;   // the format that recognised the file
  std::string CdlId;      // the correction of a CDL collection read; "": the one at CdlIndex
  int CdlIndex = -1;      // a correction without an id of its own, by position; -1: the first
};

// The list position of a depth ("Default", "8", ... "16"); the way back is
// SelectedBits (ops/Conversion.h).
int BitsPositionOf(int bitsPerValue);

// The read options of a read that starts from a row.
TReadOptions ReadOptionsOf(const TLutFileEntry& entry);

// Detect and read a file (by default with the format's own depth
// detection). A file no format recognises is an ELUTError.
void LoadLutFile(const TLutRegistry& registry, const std::filesystem::path& file, TLUT& lut,
                 const TReadOptions& options = {});
