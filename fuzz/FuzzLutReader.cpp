// The fuzz target of one reader family (chosen at build time by
// TOVI_FUZZ_FAMILY): the fuzzer's bytes become a file that goes through the
// program's own detection and reading, restricted to the family's formats so
// that the fuzzer's time is spent on them, and the record is then resampled
// and written through one output profile, as a conversion does.
//
// Detection looks at file name extensions for some formats, so the bytes are
// tried under each extension the family's formats know.
//
// A refusal (malformed data, a size beyond the record, a bad header number,
// a file error) is the expected answer to hostile input. Any other exception
// escapes and ends the run as a finding, like a crash or a sanitizer report.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "FuzzScratch.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/LUTFormat.h"
#include "formats/CubeFormats.h"
#include "formats/DatPandoraFormats.h"
#include "formats/FsiDitFormat.h"
#include "formats/OcioFormats.h"
#include "formats/OneDFloatFormats.h"
#include "formats/OneDIntegerFormats.h"
#include "formats/Other3DFormats.h"
#include "formats/ThreeDLFormats.h"
#include "image/HaldClutFormats.h"
#include "image/HaldImage.h"
#include "image/ImageLib.h"
#include "xml/CDLLib.h"
#include "xml/LookFormats.h"
#include "registry/FormatTable.h"
#include "xml/XmlLutFormats.h"

namespace fs = std::filesystem;

namespace {

struct TFuzzFamily {
  std::string_view Name;
  std::vector<std::type_index> Formats;
  std::vector<std::string_view> Extensions;
  std::string_view Profile;  // the output profile the record is written through
  int Size;                  // the size written; small keeps runs fast
  // Inputs shorter than this are padded with zero bytes up to it. A binary
  // format of one fixed file size reaches its data only with whole files;
  // padding lets the fuzzer work on the header alone with short inputs.
  std::size_t PadTo = 0;
};

template <typename... T>
std::vector<std::type_index> Classes() {
  return {std::type_index(typeid(T))...};
}

const std::vector<TFuzzFamily>& Families() {
  static const std::vector<TFuzzFamily> families = {
      {"cube",
       Classes<TCube3DTruelightLutFormat, TCube3DLutFormat, TCube1DLutFormat,
               TFSI_CFE_3DLutFormat, TPanasonic3DLutFormat>(),
       {"cube", "vlt"}, "Cube 3D Davinci", 9},
      {"fsidit", Classes<TFSI_DIT_3DLutFormat>(), {"dat"}, "Cube 3D Davinci", 9,
       128 + 4 * 64 * 64 * 64},
      {"threedl", Classes<T3dlLutFormat, TLustre3DLutFormat>(), {"3dl", "lut"},
       "3DL Scratch, Autodesk, Blackmagic, Cine-tal", 17},
      {"datpandora", Classes<TPandora3DLutFormat, TDavinciDat3DLutFormat>(), {"dat", "m3d", "mga"},
       "Pandora 3D, Apple 3D m3d", 17},
      {"other3d",
       Classes<TNucoda3DLutFormat, TCodex3DLutFormat, TLuther3DLutFormat,
               TColorFrontOSD3DLutFormat, TQuantel3DLutFormat, TMatchLight3DLutFormat>(),
       {"txt", "3dmesh"}, "Codex 3D", 17},
      {"oned_int",
       Classes<TCodex1DLutFormat, TLustre1DLutFormat, TQuantel1DLutFormat, TFusion1DLutFormat,
               TCinetal1DLutFormat, TShake1DLutFormat>(),
       {"txt"}, "Codex 1D, Sony SRW-1, Scratch 1D", 1024},
      {"oned_float",
       Classes<TFilmlight1DLutFormat, TNucoda1DLutWriterFormat, TColorFrontOSD1DLutFormat,
               TBlackmagic1DLutFormat, TDavinciILut1DLutFormat, TDavinciOLut1DLutFormat>(),
       {"txt", "1dlut", "ilut", "olut"}, "Colorfront OSD 1D", 1024},
      {"cdl", Classes<TASC_CDL_Format>(), {"cc"}, "Cube 3D Davinci", 9},
      {"xmllut", Classes<TClipster3DLutFormat, TStwo1DLutFormat, TPFClean3D_Format>(), {"xml"}, "Clipster 3D", 17},
      {"looks", Classes<TSpeedgradeLook3DLutFormat, TSpeedgradeLook3DLutV2Format>(), {"look"},
       "Adobe SpeedGrade Look", 8},
      {"hald", Classes<THaldImage3DLutFormat>(), {"bmp", "jpg", "tif"}, "Cube 3D Davinci", 9},
      {"haldclut", Classes<THaldClut3DLutFormat, TStrip3DLutFormat>(), {"png", "tif", "bmp"},
       "Hald CLUT", 4},
      {"ocio",
       Classes<TClfLutFormat, TCinespaceLutFormat, TSpi1DLutFormat, TSpi3DLutFormat,
               TSpiMatrixLutFormat, TNukeVfLutFormat, THoudiniLutFormat>(),
       {"clf", "ctf", "csp", "spi1d", "spi3d", "spimtx", "vf", "lut"}, "Cinespace 3D", 9},
  };
  return families;
}

#ifndef TOVI_FUZZ_FAMILY
#error "TOVI_FUZZ_FAMILY names the reader family of this target"
#endif

struct TFuzzState {
  TLutRegistry All;               // the full table
  std::vector<int> FamilyFormats;  // positions of the family's formats, in registry order
  const TFuzzFamily* Family = nullptr;
  const TLutOutputProfile* Profile = nullptr;
  fs::path Dir;
};

TFuzzState& State() {
  static TFuzzState state;
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TFuzzState& s = State();
  for (const TFuzzFamily& f : Families())
    if (f.Name == TOVI_FUZZ_FAMILY) s.Family = &f;
  if (!s.Family) std::abort();
  RegisterLutFormats(s.All);
  for (int i = 0; i < s.All.FormatCount(); ++i) {
    const TLUTFormat& format = *s.All.GetLutFormat(i);
    if (format.Can(fcRead) && std::find(s.Family->Formats.begin(), s.Family->Formats.end(),
                                        std::type_index(typeid(format))) != s.Family->Formats.end())
      s.FamilyFormats.push_back(i);
  }
  if (s.FamilyFormats.empty()) std::abort();  // write-only members of a family are passed over
  for (const TLutOutputProfile& p : s.All.LutOutputProfiles())
    if (p.Name == s.Family->Profile) s.Profile = &p;
  if (!s.Profile) std::abort();
  s.Dir = MakeFuzzScratch(TOVI_FUZZ_FAMILY);  // every input is written and read back
  // The first picture read loads the codec module, which under the sanitizer
  // takes longer than an input may: it is loaded here, before any timed input.
  LLVMFuzzerTestOneInput(nullptr, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzState& s = State();
  std::string bytes = size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
  if (bytes.size() < s.Family->PadTo) bytes.resize(s.Family->PadTo, '\0');
  const bool is3D = s.All.ProfileFormat(*s.Profile).Is3D;
  for (std::string_view ext : s.Family->Extensions) {
    const fs::path input = s.Dir / ("input." + std::string(ext));
    WriteFileAtomic(input, bytes);
    try {
      // Detection as the registry does it, among the family's formats alone.
      int found = -1;
      for (int i : s.FamilyFormats) {
        const TLUTFormat& format = *s.All.GetLutFormat(i);
        if (format.Can(fcDetect) && format.Detect(input)) {
          found = i;
          break;
        }
      }
      if (found < 0) continue;
      TLUT source;
      s.All.LoadLut(input, source, found);
      const TLUT target =
          TLUT::Resampled(std::move(source), is3D ? lt3D : lt1D, s.Family->Size);
      s.All.SaveLut(s.Dir / ("output." + s.Profile->Extension), target, *s.Profile, -1);
    } catch (const ELUTError&) {
    } catch (const ELUTSizeError&) {
    } catch (const EConvertError&) {
    } catch (const EFileError&) {
    } catch (const EImageError&) {
    }
  }
  return 0;
}
