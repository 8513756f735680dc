// The fuzz target of ICC profile opening and ICC to LUT sampling: the
// fuzzer's bytes become a profile file, its class is read from the header as
// the dialogs do, and the whole ICC to LUT conversion runs on it, forwards
// and inverted: the colour library opens it, a transform is made against
// sRGB, sampled into a small cube and written through a cube profile.
// A refusal (EICCError, a file error) is the expected answer; anything else
// escapes as a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzScratch.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/LUTFormat.h"
#include "icc/ICCLib.h"
#include "ops/IccConversions.h"
#include "registry/FormatTable.h"

namespace fs = std::filesystem;

namespace {

// Every output replaces the one before it.
struct TReplaceAll : IConfirm {
  TConfirmAnswer Confirm(const std::string&, bool) override { return TConfirmAnswer::Yes; }
};

struct TFuzzState {
  TLutRegistry Registry;
  TReplaceAll Replace;
  const TLutOutputProfile* Profile = nullptr;
  fs::path Dir;
};

TFuzzState& State() {
  static TFuzzState state;
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TFuzzState& s = State();
  RegisterLutFormats(s.Registry);
  for (const TLutOutputProfile& p : s.Registry.LutOutputProfiles())
    if (p.Name == "Cube 3D Davinci") s.Profile = &p;
  if (!s.Profile) std::abort();
  s.Dir = MakeFuzzScratch("icc");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzState& s = State();
  const fs::path input = s.Dir / "input.icc";
  WriteFileAtomic(input, std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    const std::uint32_t profileClass = ReadProfileClass(input);
    (void)ProfileClassName(profileClass);
    (void)UsesSecondProfile(profileClass);
  } catch (const EICCError&) {
  } catch (const EFileError&) {
  }
  for (const bool invert : {false, true}) {
    try {
      ConvertICCToLut(s.Registry, {input, {}, invert}, s.Dir / "output.cube", *s.Profile, 9, -1,
                      s.Replace);
    } catch (const EICCError&) {
    } catch (const EFileError&) {
    }
  }
  return 0;
}
