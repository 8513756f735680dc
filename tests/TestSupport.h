// Shared test helpers: a scratch folder per test, and whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "image/Bitmap.h"

namespace fs = std::filesystem;

// A fresh folder under the system temporary folder, removed afterwards.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  fs::path Path(const std::string& name) const { return Dir / name; }
  fs::path Write(const std::string& name, const std::string& content) const;
  fs::path Dir;
};

std::string ReadText(const fs::path& file);
fs::path DataFile(const std::string& name);

// A smooth, non-separable colour transform to fill test LUTs with.
TLutRGB TestColour(const TLutRGB& x);
TLUT MakeCube(int n);
// The registry's output profile of that name.
const TLutOutputProfile& ProfileNamed(const std::string& name);
TLUT MakeCurves(int m);
// A picture with smooth gradients and fine detail in every channel.
TBitmap MakePicture(int width, int height);

// Gives one answer to every question and keeps the files it was asked about.
struct TFixedConfirm : IConfirm {
  explicit TFixedConfirm(TConfirmAnswer answer = TConfirmAnswer::Yes) : Answer(answer) {}
  TConfirmAnswer Confirm(const std::string&, bool) override { return Answer; }
  TConfirmAnswer ConfirmOverwrite(const fs::path& file, bool) override {
    Asked.push_back(file);
    return Answer;
  }
  TConfirmAnswer Answer;
  std::vector<fs::path> Asked;
};
