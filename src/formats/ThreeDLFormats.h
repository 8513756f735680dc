// The 3DL family: cubes of integer code values, blue index fastest. The plain
// 3DL file (an input-shaper line, then one "r g b" line per node) and the
// Lustre mesh file (the same nodes behind a "3DMESH" / "Mesh a b" header).
#pragma once

#include <cstdint>

#include "core/GenericLutFormat.h"

// The depth of a 3DL table or shaper whose largest code is this, as the
// field's readers infer it: the smallest standard depth (8, 10, 12, 14 or 16
// bits) whose full scale, with 20 % headroom, holds it; beyond that, the
// depth that holds it.
int Likely3dlDepth(std::int64_t largestCode);

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat("3DL", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

// The size and depth come from the mesh line, and reading stops at the last
// node, before the trailer.
class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};
