// Helpers shared by the tests of the 1D text formats: small curve records,
// and the outcome of a read that must fail.
#pragma once

#include <string>
#include <typeinfo>
#include <vector>

#include "TestSupport.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

inline TLUT Curves(const std::vector<TLutRGB>& entries) {
  TLUT lut;
  lut.LutType = lt1D;
  lut.SetSize1D(static_cast<int>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) lut.Curve(static_cast<int>(i)) = entries[i];
  return lut;
}

// A read expected to fail, with the exception's class and a piece of its message.
struct BadFileCase {
  const char* Fault;
  TLUTFormat& Format;
  std::string Content;
  const std::type_info& Error;
  std::string Message;
};

inline void ExpectReadFails(const fs::path& file, const BadFileCase& c) {
  SCOPED_TRACE(c.Fault);
  TLUT lut;
  try {
    c.Format.Read(file, lut, {});
    ADD_FAILURE() << "read without error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(typeid(e).name()), c.Error.name());
    EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
  }
}

inline void ExpectEntry(const TLUT& lut, int i, const TLutRGB& want) {
  ASSERT_LT(i, lut.Size1D());
  EXPECT_NEAR(lut.Curve(i).R, want.R, 1e-12) << "entry " << i;
  EXPECT_NEAR(lut.Curve(i).G, want.G, 1e-12) << "entry " << i;
  EXPECT_NEAR(lut.Curve(i).B, want.B, 1e-12) << "entry " << i;
}

// The name of the format the registry detects for the file; "" for none.
inline std::string DetectedName(const fs::path& file) {
  const int i = LutRegistry().DetectLutFormat(file);
  return i < 0 ? std::string() : LutRegistry().GetLutFormat(i)->Name;
}
