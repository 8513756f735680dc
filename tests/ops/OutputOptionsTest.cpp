#include "ops/OutputOptions.h"

#include "TestSupport.h"
#include "registry/FormatTable.h"

namespace {

int PositionOf(const TOutputOptions& o, const std::string& name) {
  const auto names = o.ProfileNames();
  return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

TEST(OutputOptions, ChoosingAFormatSetsTheSizeListAndResetsTheChoices) {
  TOutputOptions o(LutRegistry(), TOptionsDialog::Convert);
  EXPECT_EQ(o.SelectedProfile(), nullptr);
  EXPECT_FALSE(o.SizeEnabled());
  EXPECT_EQ(o.SizeItems(),
            (std::vector<std::string>{"Default", "8", "16", "17", "32", "33", "64", "Source"}));

  o.SelectProfile(PositionOf(o, "Cube 3D Davinci"));
  // "Source": each file keeps its own size; a key typed over it clears it.
  EXPECT_TRUE(o.ChooseSourceSize());
  EXPECT_EQ(o.EffectiveSize(), KeepSourceSize);
  o.ChooseSizeItem(2);
  EXPECT_EQ(o.EffectiveSize(), 16);
  o.ChooseSizeItem(7);
  EXPECT_EQ(o.SizeText(), "Source");
  EXPECT_TRUE(o.SizeEnabled());
  EXPECT_FALSE(o.BitsEnabled());
  o.TypeSizeKey('7');
  EXPECT_EQ(o.SizeText(), "7");  // typing over "Default" clears it first
  o.ChooseBits(3);
  o.SelectProfile(PositionOf(o, "FSI DIT (Flanders Scientific) 3D"));
  EXPECT_FALSE(o.SizeEnabled());
  EXPECT_EQ(o.SizeText(), "Default");
  EXPECT_EQ(o.BitsPosition(), 0);
  EXPECT_EQ(o.EffectiveSize(), 64);
  EXPECT_EQ(o.SelectedBits(), -1);

  TOutputOptions merge(LutRegistry(), TOptionsDialog::Merge);
  for (const std::string& name : merge.ProfileNames()) EXPECT_NE(name, "Cube 1D");
  merge.SelectProfile(PositionOf(merge, "Cube 3D Davinci"));
  EXPECT_EQ(merge.SizeItems(), (std::vector<std::string>{"Default", "17", "32", "33", "64"}));
  EXPECT_FALSE(merge.ChooseSourceSize());  // a merge has no one source
}

TEST(OutputOptions, SizeFieldTakesAtMostFiveDigits) {
  TOutputOptions o(LutRegistry(), TOptionsDialog::Convert);
  o.SelectProfile(PositionOf(o, "Cube 3D Davinci"));
  EXPECT_FALSE(o.TypeSizeKey('x'));
  EXPECT_EQ(o.SizeText(), "");  // the first key cleared "Default" even when refused
  for (char c : std::string("12045")) EXPECT_TRUE(o.TypeSizeKey(c));
  EXPECT_FALSE(o.TypeSizeKey('6'));
  EXPECT_EQ(o.SizeText(), "12045");
  EXPECT_EQ(o.EffectiveSize(), 99);
  EXPECT_TRUE(o.TypeSizeKey('\b'));
  EXPECT_EQ(o.SizeText(), "1204");
  o.ChooseSizeItem(0);
  o.PressSizeDelete();
  EXPECT_EQ(o.SizeText(), "");
  EXPECT_EQ(o.EffectiveSize(), 33);  // empty text means the default
  o.ChooseSizeItem(3);
  EXPECT_EQ(o.EffectiveSize(), 17);
}

}  // namespace
