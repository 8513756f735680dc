// The formats that OpenColorIO reads (OcioBridge.h): the Academy/ASC Common
// LUT Format and OpenColorIO's CTF, Cinespace .csp, Imageworks .spi1d, .spi3d
// and .spimtx, Nuke .vf and Houdini .lut. Detection is ours (the extension and
// a look at the text); reading is OpenColorIO's, but for Cinespace, which
// has a reader of our own. CLF is written through
// OpenColorIO's writer; .csp, .spi1d and .spi3d by writers of ours.
#pragma once

#include <string_view>
#include <vector>

#include "core/LUTFormat.h"

class TOcioLutFormat : public TLUTFormat {
 public:
  // Detected when the name ends in one of the extensions (dot included, any
  // letter case) and the text's first 4 KB, in capitals, hold the signature.
  // readerName: what a warning calls OpenColorIO's reader ("the CLF
  // reader"); the format's name when none is given.
  TOcioLutFormat(std::string name, bool is3D, unsigned capabilities,
                 std::vector<std::string_view> extensions, std::string_view signature,
                 std::string_view readerName = {})
      : TLUTFormat(std::move(name), is3D, capabilities),
        Extensions(std::move(extensions)),
        Signature(signature),
        ReaderName(readerName.empty() ? std::string_view(Name) : readerName) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;

 protected:
  // Refuses (ELUTError) a text that would make OpenColorIO hang, before it
  // sees it; none is known for most formats.
  virtual void CheckBeforeLibrary(const std::filesystem::path& fileName) const {
    (void)fileName;
  }

 private:
  const std::vector<std::string_view> Extensions;
  const std::string_view Signature;
  const std::string_view ReaderName;
};

class TClfLutFormat : public TOcioLutFormat {
 public:
  TClfLutFormat()
      : TOcioLutFormat("Academy/ASC Common LUT Format", true,
                       fcRead | fcWrite | fcDetect | fcShaper | fcCurves, {".clf", ".ctf"},
                       "<PROCESSLIST", "CLF") {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  bool KeepsDomain(const TLutDomain& domain) const override;
};

// Read by our own reader (CinespaceReader.cpp), as OpenColorIO evaluates it.
class TCinespaceLutFormat : public TOcioLutFormat {
 public:
  TCinespaceLutFormat()
      : TOcioLutFormat("Cinespace", true, fcRead | fcWrite | fcDetect | fcShaper | fcCurves,
                       {".csp"}, "CSPLUTV100") {}
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  // The input curves carry any domain.
  bool KeepsDomain(const TLutDomain& domain) const override;
};

class TSpi1DLutFormat : public TOcioLutFormat {
 public:
  TSpi1DLutFormat()
      : TOcioLutFormat("Sony Imageworks 1D", false, fcRead | fcWrite | fcDetect, {".spi1d"},
                       "LENGTH") {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  // "From min max": one pair for every channel.
  bool KeepsDomain(const TLutDomain& domain) const override;
};

class TSpi3DLutFormat : public TOcioLutFormat {
 public:
  TSpi3DLutFormat()
      : TOcioLutFormat("Sony Imageworks 3D", true, fcRead | fcWrite | fcDetect, {".spi3d"},
                       "SPILUT") {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// A 3 x 4 matrix: evaluated onto a cube.
class TSpiMatrixLutFormat : public TOcioLutFormat {
 public:
  TSpiMatrixLutFormat()
      : TOcioLutFormat("Sony Imageworks Matrix", true, fcRead | fcDetect, {".spimtx"}, "") {}

 protected:
  // Twelve numbers and nothing else: OpenColorIO hands any other text to each
  // of its readers in turn, and one of them leaks on such lists of numbers.
  void CheckBeforeLibrary(const std::filesystem::path& fileName) const override;
};

class TNukeVfLutFormat : public TOcioLutFormat {
 public:
  TNukeVfLutFormat()
      : TOcioLutFormat("Nuke vf", true, fcRead | fcDetect, {".vf"}, "GRID_SIZE") {}
};

class THoudiniLutFormat : public TOcioLutFormat {
 public:
  THoudiniLutFormat()
      : TOcioLutFormat("Houdini", true, fcRead | fcDetect, {".lut"}, "LUT:") {}
};
