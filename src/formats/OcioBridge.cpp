// Finding the OpenColorIO module (OcioBridge.h) the first time one of its
// formats is read or written, the way the picture codecs are found.
#include "formats/OcioBridge.h"

#include <dlfcn.h>

#include <filesystem>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "core/ModuleSearch.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* ModuleName = "libtovi_ocio.so";

}  // namespace

const IOcioBridge& OcioBridge() {
  static const IOcioBridge* bridge = nullptr;
  static std::string failure;
  static std::once_flag once;
  std::call_once(once, [] {
    // TOVI_OCIO_MODULE names the one place to look (empty: nowhere), so that
    // the program can be tried as it runs without the module.
    std::vector<fs::path> candidates = ModuleCandidates(ModuleName, TOVI_OCIO_INSTALL_PATH, TOVI_OCIO_BUILD_PATH);
    if (const char* forced = std::getenv("TOVI_OCIO_MODULE"))
      candidates = *forced ? std::vector<fs::path>{forced} : std::vector<fs::path>{};
    for (const fs::path& candidate : candidates) {
      std::error_code ec;
      if (!fs::exists(candidate, ec)) continue;
      void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!module) {
        failure = ::dlerror();
        continue;
      }
      if (auto entry = reinterpret_cast<TOcioBridgeEntry>(::dlsym(module, TOVI_OCIO_BRIDGE_ENTRY))) {
        bridge = entry();
        return;
      }
      failure = candidate.string() + " is not the OpenColorIO module";
    }
    if (failure.empty()) failure = std::string(ModuleName) + " was not found";
  });
  if (!bridge)
    throw ELUTError(
        "CLF, Cinespace, Imageworks, Nuke .vf and Houdini LUTs are read (and CLF written) "
        "through OpenColorIO, which cannot be loaded (" + failure +
        "). Install the package libopencolorio2.1.");
  return *bridge;
}
