// The format interface and the registry of formats and output profiles.
// A format's position in the registry is its number everywhere: detection
// order, a record's FormatIndex, a profile's FormatIndex.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/Errors.h"
#include "core/LUT.h"

class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is3D) : Name(std::move(name)), Is3D(is3D) {}
  virtual ~TLUTFormat() = default;

  std::string Name;
  bool Is3D;
  // Bits per value a reader of integer codes assumes; -1: work it out.
  int InputBits = -1;

  // The file is in this format. A readable file of another format gives
  // false; a file that cannot be opened raises EFileError.
  virtual bool Detect(const std::filesystem::path& fileName) = 0;
  // Fill the record: data, LutType, the size of its kind, comment lines.
  virtual void Read(const std::filesystem::path& fileName, TLUT& lut) = 0;
  // Create or replace the file; the record already has the profile's kind and size.
  virtual void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) = 0;
};

struct TLutOutputProfile {
  std::string Name;
  std::string Extension;  // without the leading dot; may hold one inside ("swto.xml")
  int FormatIndex = -1;
  int DefaultSize = 0;  // cube points per axis, or curve length
  int DefaultBits = 0;  // 0: the format's own number style
  bool SizeSelectable = false;
  bool BitsSelectable = false;
};

// The two ordered lists. A value: code that wants parallel reads makes its
// own registry, since a format object serves one read at a time.
class TLutRegistry {
 public:
  std::vector<std::unique_ptr<TLUTFormat>> LutFormats;
  std::vector<TLutOutputProfile> LutOutputProfiles;

  template <typename TFormat>
  void AddFormat() {
    LutFormats.push_back(std::make_unique<TFormat>());
  }
  // Profiles name their format by class, so positions follow the table.
  template <typename TFormat>
  void AddOutputProfile(std::string name, std::string extension, int defaultSize,
                        int defaultBits, bool sizeSelectable, bool bitsSelectable) {
    AddOutputProfile(std::move(name), std::move(extension), IndexOf(typeid(TFormat)),
                     defaultSize, defaultBits, sizeSelectable, bitsSelectable);
  }
  void AddOutputProfile(std::string name, std::string extension, int formatIndex,
                        int defaultSize, int defaultBits, bool sizeSelectable,
                        bool bitsSelectable);

  // The position of the format of exactly this class; throws if absent.
  int IndexOf(const std::type_info& formatClass) const;
  TLUTFormat* GetLutFormat(int index) const;
  const TLutOutputProfile& GetOutputProfile(int index) const { return LutOutputProfiles.at(index); }
  // The format a profile writes through.
  TLUTFormat& ProfileFormat(const TLutOutputProfile& profile) const;

  int DetectLutFormat(const std::filesystem::path& fileName) const;
  void LoadLut(const std::filesystem::path& fileName, TLUT& lut, int formatIndex) const;
  void SaveLut(const std::filesystem::path& fileName, const TLUT& lut,
               const TLutOutputProfile& profile, int bits) const;
};

// The registration table: every format and every output profile, in order.
void RegisterLutFormats(TLutRegistry& registry);

// The program's registry, filled on first use.
TLutRegistry& LutRegistry();
