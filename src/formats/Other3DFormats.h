// The smaller 3D text formats of grading systems and recorders: Codex, Luther
// and Quantel (integer codes, blue fastest), Colorfront OSD (floats, columns
// blue green red), Nucoda (floats, an optional curve before the cube) and
// MatchLight (read only: a curve, then the cube).
#pragma once

#include "core/GenericLutFormat.h"

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  TCodex3DLutFormat() : TGenericLutFormat("Codex 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

  int CodeBits = 12;  // the depth the reader assumes, whatever the file holds

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat("Luther 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;  // ValueScale: the maximum code
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadHeader(const TTextFile& lines) override;
  void ReadLine(std::string_view line, TLUT& lut) override;

  std::size_t DataLineCount = 0;  // lines of three numbers: the size is their cube root
};

class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  TNucoda3DLutFormat() : TGenericLutFormat("Nucoda 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

  int WriteCurveLength = 4096;  // length of the identity ramp the writer puts before the cube

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;

  int CurveLength = 0;  // declared curve length; Counter4 counts the entries read
  int Version = 0;      // the number after NUCODA_3D_CUBE; 1 scales curve values by 1/33
  bool HasCurve = false;
  bool HasCube = false;
};

class TMatchLight3DLutFormat : public TGenericLutFormat {
 public:
  TMatchLight3DLutFormat() : TGenericLutFormat("MatchLight 3D Cube", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  // Read only: writes nothing, and no output profile leads here.
  void Write(const std::filesystem::path&, const TLUT&, int) override {}

 protected:
  // The next line; running out of lines means the file is incomplete.
  std::string_view TakeLine();

  std::size_t LineCursor = 0;
  int CurveLength = -1;
  int CubeSize = -1;
};
