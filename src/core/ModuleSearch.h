// Where a module loaded on first use (the picture codecs, the OpenColorIO
// formats) is looked for.
#pragma once

#include <filesystem>
#include <vector>

// Beside the program, where it is installed, or where it was built.
std::vector<std::filesystem::path> ModuleCandidates(const char* moduleName, const char* installPath,
                                                    const char* buildPath);
