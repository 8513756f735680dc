// The format interface and the registry of formats and output profiles.
// A format's position in the registry is its number everywhere: detection
// order, a record's FormatIndex, a profile's FormatIndex.
//
// Formats are const and re-entrant: whatever a caller chooses for one read
// or write travels in the call, and a reader keeps its parse state in an
// object of its own, so one registry serves every thread.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/Errors.h"
#include "core/LUT.h"
#include "core/UserPrompt.h"

// What the caller chooses for one read.
struct TReadOptions {
  // Bits per value a reader of integer codes assumes; -1: work it out.
  int InputBits = -1;
  // The correction a CDL collection or decision list is read at; "": the one
  // at CdlIndex (counted from 0), or the first when that is -1.
  std::string CdlId;
  int CdlIndex = -1;
  // The cube size the caller resamples the result to (0: not known), so a
  // reader of a cube finer than the record holds samples it once, at that size.
  int CubeSize = 0;
  // How the record read looks its cube up (TLUT::Interpolation).
  TLutInterpolation Interpolation = TLutInterpolation::Trilinear;
  // The cube size a reader that samples a transform (rather than reading
  // tables) samples it at: the output's; 0: its own choice.
  int BakeSize = 0;
  // Told what a reader has to say of a file it still reads (a library's log,
  // at most a line per file), with the file's name as the reader was given it.
  std::function<void(const std::filesystem::path&, const std::string&)> OnWarning = nullptr;
};

// What the caller chooses for one write.
struct TWriteContext {
  int Bits = 0;  // bits per value; 0: the format's own number style
  // Asked before a writer replaces a file it writes beside its target (the
  // Premiere look's .cube). Without one, such a file is never replaced.
  IConfirm* Confirm = nullptr;
  // Whether the target may replace a file of its name (see ConfirmWrite).
  TReplace Replace = TReplace::Allow;
  // The profile's style for input domains: a shaper before the cube and
  // LUT_1D/3D_INPUT_RANGE lines instead of DOMAIN lines (cube files).
  bool InputRanges = false;
};

// What a format can do; a format without a capability keeps the base's
// refusal instead of an empty override.
enum TFormatCapability : unsigned {
  fcRead = 1,    // Read fills a record
  fcWrite = 2,   // Write creates a file; only such formats may back a profile
  fcDetect = 4,  // Detect can recognise a file by its content or name
  fcShaper = 8,  // a 3D writer that writes curves in front of its cube as they are
  fcCurves = 16,  // a 3D writer that writes a record of curves alone as curves
};

class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is3D, unsigned capabilities)
      : Name(std::move(name)), Is3D(is3D), Capabilities(capabilities) {}
  virtual ~TLUTFormat() = default;

  const std::string Name;
  const bool Is3D;
  const unsigned Capabilities;
  bool Can(TFormatCapability capability) const { return (Capabilities & capability) != 0; }

  // The file is in this format. A readable file of another format gives
  // false; a file that cannot be opened raises EFileError.
  virtual bool Detect(const std::filesystem::path& fileName) const;
  // Fill the record: data, LutType, the size of its kind, comment lines.
  virtual void Read(const std::filesystem::path& fileName, TLUT& lut,
                    const TReadOptions& options) const;
  // Create or replace the file; the record already has the profile's kind and size.
  virtual void Write(const std::filesystem::path& fileName, const TLUT& lut,
                     const TWriteContext& context) const;
  // The files Write puts beside the target (none for most formats).
  virtual std::vector<std::filesystem::path> CompanionFiles(
      const std::filesystem::path& fileName) const {
    (void)fileName;
    return {};
  }
  // Whether Write keeps inputs over the domain; a format that cannot is
  // given records on 0..1 (and the conversion says what is lost).
  virtual bool KeepsDomain(const TLutDomain& domain) const { return domain.IsUnit(); }
};

struct TLutOutputProfile {
  std::string Name;
  std::string Extension;  // without the leading dot; may hold one inside ("swto.xml")
  int FormatIndex = -1;
  int DefaultSize = 0;  // cube points per axis, or curve length
  int DefaultBits = 0;  // 0: the format's own number style
  bool SizeSelectable = false;
  bool BitsSelectable = false;
  // Shaper and cube kept as read, domains as INPUT_RANGE lines (TWriteContext).
  bool InputRanges = false;
};

// The two ordered lists, filled once by the registration table and only
// read afterwards.
class TLutRegistry {
 public:
  // With the extensions its files carry (without the dot), which the file
  // pickers and folder scans offer.
  template <typename TFormat>
  void AddFormat(std::vector<std::string> extensions = {}) {
    LutFormats_.push_back(std::make_unique<const TFormat>());
    FileExtensions_.push_back(std::move(extensions));
  }
  // Profiles name their format by class, so positions follow the table.
  template <typename TFormat>
  void AddOutputProfile(std::string name, std::string extension, int defaultSize, int defaultBits,
                        bool sizeSelectable, bool bitsSelectable, bool inputRanges = false) {
    AddOutputProfile(std::move(name), std::move(extension), IndexOf(typeid(TFormat)), defaultSize,
                     defaultBits, sizeSelectable, bitsSelectable, inputRanges);
  }
  void AddOutputProfile(std::string name, std::string extension, int formatIndex, int defaultSize,
                        int defaultBits, bool sizeSelectable, bool bitsSelectable,
                        bool inputRanges = false);

  int FormatCount() const { return static_cast<int>(LutFormats_.size()); }
  const std::vector<TLutOutputProfile>& LutOutputProfiles() const { return LutOutputProfiles_; }

  // Every extension of a format that reads, in format order, each once.
  std::vector<std::string> ReadExtensions() const;

  // The position of the format of exactly this class; throws if absent.
  int IndexOf(const std::type_info& formatClass) const;
  // nullptr outside the list.
  const TLUTFormat* GetLutFormat(int index) const;
  const TLutOutputProfile& GetOutputProfile(int index) const {
    return LutOutputProfiles_.at(index);
  }
  // The format a profile writes through.
  const TLUTFormat& ProfileFormat(const TLutOutputProfile& profile) const;

  // The first format that can detect the file and does; -1 when none.
  int DetectLutFormat(const std::filesystem::path& fileName) const;
  // Read through the given format, or the detected one (formatIndex -1); a
  // file that no format recognises leaves FormatIndex at -1.
  void LoadLut(const std::filesystem::path& fileName, TLUT& lut, int formatIndex,
               const TReadOptions& options = {}) const;
  // Write through the profile's format; bits -1 means the profile's default.
  // EOutputKept when the user kept a companion file and nothing was written.
  void SaveLut(const std::filesystem::path& fileName, const TLUT& lut,
               const TLutOutputProfile& profile, int bits, IConfirm* confirm = nullptr,
               TReplace replace = TReplace::Allow) const;

 private:
  std::vector<std::unique_ptr<const TLUTFormat>> LutFormats_;
  std::vector<std::vector<std::string>> FileExtensions_;  // one list per format
  std::vector<TLutOutputProfile> LutOutputProfiles_;
};

// SaveLut for the operations that write one file: false when the user kept
// a file the writer puts beside it (EOutputKept), so nothing was written.
bool SaveLutUnlessKept(const TLutRegistry& registry, const std::filesystem::path& fileName,
                       const TLUT& lut, const TLutOutputProfile& profile, int bits,
                       IConfirm& confirm, TReplace replace);

// The size choice that keeps each file's own size where the profile lets
// it choose (its table of the profile's kind; the default for a file without one).
constexpr int KeepSourceSize = -1;

// Refuse a size that a LUT of the profile's kind cannot hold or resample
// (ELUTSizeError), before anything is read or written; KeepSourceSize passes.
void CheckProfileSize(const TLutRegistry& registry, const TLutOutputProfile& profile, int size);
