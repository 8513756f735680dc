// What the picture targets share: the fuzzer's bytes become a file under
// each extension in turn, whose type alone picks the codec, and each file is
// read by the target's own steps. A refusal (EImageError, a file error) is
// the expected answer to hostile input; any other exception escapes and ends
// the run as a finding.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "FuzzScratch.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "image/ImageLib.h"

// read(file, extension) for "input.EXT" in the target's scratch folder,
// holding `bytes`, for each extension.
template <class TRead>
void ReadAsEachType(std::string_view bytes, std::initializer_list<const char*> extensions, TRead&& read) {
  for (const char* ext : extensions) {
    const std::filesystem::path input = FuzzScratchDir() / (std::string("input.") + ext);
    WriteFileAtomic(input, bytes);
    try {
      read(input, ext);
    } catch (const EImageError&) {
    } catch (const EFileError&) {
    }
  }
}
