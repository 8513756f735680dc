#include "core/ModuleSearch.h"

#include <system_error>

namespace fs = std::filesystem;

std::vector<fs::path> ModuleCandidates(const char* moduleName, const char* installPath,
                                       const char* buildPath) {
  std::vector<fs::path> candidates;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    candidates.push_back(exe.parent_path() / moduleName);
    candidates.push_back(exe.parent_path().parent_path() / "lib" / "tovilut" / moduleName);
  }
  candidates.emplace_back(installPath);
  candidates.emplace_back(buildPath);
  return candidates;
}
