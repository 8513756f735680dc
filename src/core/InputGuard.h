// No operation writes over one of its own inputs, whatever the answers and
// flags: a conversion into the source's folder would otherwise replace the
// source with its own conversion.
#pragma once

#include <filesystem>
#include <vector>

// One key per file: an existing file's device and inode (so symbolic and
// hard links to it share its key); otherwise its name with relative parts,
// "..", and links in the folders resolved as far as they exist.
std::filesystem::path SameFileKey(const std::filesystem::path& file);

// EFileError naming both when an output is one of the inputs (an empty
// input stands for none).
void RefuseWritingOverInputs(const std::vector<std::filesystem::path>& outputs,
                             const std::vector<std::filesystem::path>& inputs);
