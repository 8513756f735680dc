// The output options that the conversion, merge and ICC-to-LUT dialogs share:
// the profile list, the size field with its list and typing rules, the bits
// list, and which of them are enabled. A plain model: the dialogs bind their
// controls to it, and every rule is tested without a window.
#pragma once

#include <string>
#include <vector>

#include "core/LUTFormat.h"

enum class TOptionsDialog { Convert, Merge, IccToLut };

class TOutputOptions {
 public:
  TOutputOptions(const TLutRegistry& registry, TOptionsDialog dialog);

  // The profiles offered, in profile order (the merge offers 3D ones only).
  const std::vector<int>& ProfileIndices() const { return ProfileIndices_; }
  std::vector<std::string> ProfileNames() const;
  // Choose by list position (-1: none); resets size and bits as a format change does.
  void SelectProfile(int listPosition);
  const TLutOutputProfile* SelectedProfile() const;

  bool SizeEnabled() const { return SizeEnabled_; }
  const std::vector<std::string>& SizeItems() const { return SizeItems_; }
  const std::string& SizeText() const { return SizeText_; }
  // Typing into the size field: digits only, five at most, a shown "Default"
  // or "Source" cleared by the first key. Answers whether the key was taken.
  bool TypeSizeKey(char key);  // '\b' is backspace
  void PressSizeDelete();
  void ChooseSizeItem(int index);
  // The "Source" item (each file keeps its own size); false where it is not offered.
  bool ChooseSourceSize();

  bool BitsEnabled() const { return BitsEnabled_; }
  int BitsPosition() const { return BitsPosition_; }
  void ChooseBits(int position);

  // The size and bits a run with these options uses (needs a selected profile).
  int EffectiveSize() const;
  int SelectedBits() const;

 private:
  const TLutRegistry& Registry_;
  TOptionsDialog Dialog_;
  std::vector<int> ProfileIndices_;
  int Selected_ = -1;
  bool SizeEnabled_ = false;
  std::vector<std::string> SizeItems_;
  std::string SizeText_ = "Default";
  bool BitsEnabled_ = false;
  int BitsPosition_ = 0;
};

// The output folder offered by every dialog that writes; kept for the run.
std::string& LastOutputFolder();
