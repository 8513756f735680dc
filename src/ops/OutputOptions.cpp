#include "ops/OutputOptions.h"

#include <algorithm>

#include "ops/Conversion.h"

namespace {

std::vector<std::string> CubeSizes(TOptionsDialog dialog) {
  // Only the conversion offers the small sizes 8 and 16 (they can be typed
  // anywhere) and each file's own size.
  if (dialog == TOptionsDialog::Convert)
    return {"Default", "8", "16", "17", "32", "33", "64", "Source"};
  return {"Default", "17", "32", "33", "64"};
}

std::vector<std::string> CurveLengths(TOptionsDialog dialog) {
  std::vector<std::string> items = {"Default", "1024",  "2048",  "4096",
                                    "8192",    "16384", "32768", "65536"};
  if (dialog == TOptionsDialog::Convert) items.push_back("Source");
  return items;
}

bool IsWord(const std::string& text) { return text == "Default" || text == "Source"; }

}  // namespace

TOutputOptions::TOutputOptions(const TLutRegistry& registry, TOptionsDialog dialog)
    : Registry_(registry), Dialog_(dialog), SizeItems_(CubeSizes(dialog)) {
  for (std::size_t i = 0; i < registry.LutOutputProfiles().size(); ++i)
    if (dialog != TOptionsDialog::Merge ||
        registry.ProfileFormat(registry.LutOutputProfiles()[i]).Is3D)
      ProfileIndices_.push_back(static_cast<int>(i));
}

std::vector<std::string> TOutputOptions::ProfileNames() const {
  std::vector<std::string> names;
  for (int i : ProfileIndices_) names.push_back(Registry_.GetOutputProfile(i).Name);
  return names;
}

const TLutOutputProfile* TOutputOptions::SelectedProfile() const {
  if (Selected_ < 0) return nullptr;
  return &Registry_.GetOutputProfile(ProfileIndices_[static_cast<std::size_t>(Selected_)]);
}

void TOutputOptions::SelectProfile(int listPosition) {
  Selected_ = listPosition >= 0 && listPosition < static_cast<int>(ProfileIndices_.size())
                  ? listPosition
                  : -1;
  const TLutOutputProfile* p = SelectedProfile();
  SizeEnabled_ = p && p->SizeSelectable;
  if (SizeEnabled_)  // a disabled list keeps its items
    SizeItems_ = Registry_.ProfileFormat(*p).Is3D ? CubeSizes(Dialog_) : CurveLengths(Dialog_);
  SizeText_ = "Default";
  BitsEnabled_ = p && p->BitsSelectable;
  BitsPosition_ = 0;
}

bool TOutputOptions::TypeSizeKey(char key) {
  if (IsWord(SizeText_)) SizeText_.clear();
  if (key == '\b') {
    if (!SizeText_.empty()) SizeText_.pop_back();
    return true;
  }
  if (key < '0' || key > '9' || SizeText_.size() >= 5) return false;
  SizeText_ += key;
  return true;
}

void TOutputOptions::PressSizeDelete() {
  if (IsWord(SizeText_)) SizeText_.clear();
}

bool TOutputOptions::ChooseSourceSize() {
  const auto at = std::find(SizeItems_.begin(), SizeItems_.end(), "Source");
  if (!SizeEnabled_ || at == SizeItems_.end()) return false;
  SizeText_ = "Source";
  return true;
}

void TOutputOptions::ChooseSizeItem(int index) {
  if (index >= 0 && index < static_cast<int>(SizeItems_.size()))
    SizeText_ = SizeItems_[static_cast<std::size_t>(index)];
}

void TOutputOptions::ChooseBits(int position) {
  if (position >= 0 && position < 6) BitsPosition_ = position;
}

int TOutputOptions::EffectiveSize() const {
  return ::EffectiveSize(Registry_, *SelectedProfile(), SizeText_);
}

int TOutputOptions::SelectedBits() const { return ::SelectedBits(BitsPosition_); }

std::string& LastOutputFolder() {
  static std::string folder;
  return folder;
}
