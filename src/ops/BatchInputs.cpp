#include "ops/BatchInputs.h"

#include <algorithm>

#include "core/StringLib.h"

namespace fs = std::filesystem;

namespace {

int DetectOrNone(const TLutRegistry& registry, const fs::path& file) {
  try {
    return registry.DetectLutFormat(file);
  } catch (const std::exception&) {
    return -1;  // a file that cannot be read is no LUT of a folder
  }
}

// Extensions that only LUT files have. A folder's file under one of them is
// never passed over in silence: when no format takes it, it becomes a row
// whose conversion says why. Shared extensions (.txt, .dat, .xml, pictures)
// are left out, as a folder holds many such files that are no LUTs.
bool HasLutExtension(const fs::path& file) {
  static const char* const extensions[] = {
      ".1DLUT", ".3DL",  ".3DMESH", ".ALUT", ".CC",    ".CCC",   ".CDL",    ".CFE",
      ".CLF",   ".CMS",  ".CSP",    ".CTF",  ".CUB",   ".CUBE",  ".DD3",    ".ILUT",
      ".ITX",   ".LOOK", ".LUT",    ".M3D",  ".MGA",   ".OLUT",  ".PFL",    ".SPI1D",
      ".SPI3D", ".SPIMTX", ".VF",   ".VLT"};
  const std::string extension = UpperCase(file.extension().string());
  for (const char* e : extensions)
    if (extension == e) return true;
  return false;
}

TLutFileRow RowOf(const fs::path& folder, const fs::path& relative, int formatIndex, int inputBits) {
  TLutFileRow row{relative.string(), folder.string(), true, TLutFileEntry{}};
  row.Entry->BitsPerValue = inputBits;
  row.Entry->FormatIndex = formatIndex;
  return row;
}

}  // namespace

std::vector<TLutFileRow> BatchRows(const TLutRegistry& registry, const std::vector<fs::path>& inputs,
                                   bool recursive, int inputBits) {
  std::vector<TLutFileRow> rows;
  for (const fs::path& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      rows.push_back(RowOf(input.parent_path(), input.filename(), DetectOrNone(registry, input),
                           inputBits));
      continue;
    }
    // Name order, so a run lists and writes the same way on every file system.
    std::vector<fs::path> files;
    const auto add = [&](const fs::directory_entry& entry) {
      if (entry.is_regular_file(ec)) files.push_back(entry.path());
    };
    if (recursive) {
      for (const auto& entry : fs::recursive_directory_iterator(
               input, fs::directory_options::skip_permission_denied))
        add(entry);
    } else {
      for (const auto& entry : fs::directory_iterator(input)) add(entry);
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      const int format = DetectOrNone(registry, file);
      if (format >= 0 || HasLutExtension(file))
        rows.push_back(RowOf(input, file.lexically_relative(input), format, inputBits));
    }
  }
  return rows;
}
