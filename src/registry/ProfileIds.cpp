// The id table sits beside the registration table and names profiles by
// their caption, so neither the registration order nor a profile's number
// is part of an id.
#include "registry/ProfileIds.h"

#include <string_view>
#include <unordered_map>

namespace {

const std::unordered_map<std::string_view, std::string_view> IdOfCaption = {
    {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl-scratch"},
    {"3DL Fusion", "3dl-fusion"},
    {"Adobe Premiere Look", "look-premiere"},
    {"Adobe SpeedGrade Look", "look-speedgrade"},
    {"Autodesk Lustre 3D", "lustre-3d"},
    {"Clipster 3D", "clipster-3d"},
    {"Codex 3D", "codex-3d"},
    {"Colorfront OSD 3D", "colorfront-3d"},
    {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube-adobe"},
    {"Cube 3D Davinci", "cube-resolve"},
    {"Cube 3D Truelight", "cube-truelight"},
    {"Davinci DAT 3D", "dat-resolve"},
    {"Dolby DD3", "dd3-dolby"},
    {"FSI CFE (Flanders Scientific) 3D", "fsi-cfe"},
    {"FSI DIT (Flanders Scientific) 3D", "fsi-dit"},
    {"Nucoda 3D", "nucoda-3d"},
    {"Luther 3D", "luther-3d"},
    {"Open Broadcaster Software 3D PNG", "obs-png"},
    {"Pandora 3D, Apple 3D m3d", "pandora-m3d"},
    {"Panasonic 3D vlt, Varicam", "panasonic-vlt"},
    {"PixelFarm PFClean 3D", "pfclean-3d"},
    {"Quantel 3D", "quantel-3d"},
    {"Technicolor 3D mga", "technicolor-mga"},
    {"Autodesk Lustre 1D", "lustre-1d"},
    {"Blackmagic HDLink 1D", "hdlink-1d"},
    {"Cine-tal 1D", "cinetal-1d"},
    {"Codex 1D, Sony SRW-1, Scratch 1D", "codex-1d"},
    {"Colorfront OSD 1D", "colorfront-1d"},
    {"Cube 1D", "cube-1d"},
    {"Filmlight Truelight 1D", "truelight-1d"},
    {"Fusion 1D", "fusion-1d"},
    {"Nucoda 1D", "nucoda-1d"},
    {"Quantel 1D", "quantel-1d"},
    {"S.two 1D", "stwo-1d"},
    {"Shake 1D", "shake-1d"},
    {"Hald CLUT", "hald-clut"},
    {"Strip PNG", "strip-png"},
    {"Academy/ASC CLF 3D", "clf-3d"},
    {"Cinespace 3D", "cinespace-3d"},
    {"Sony Imageworks spi3d", "spi3d"},
    {"Sony Imageworks spi1d", "spi1d"},
};

}  // namespace

const std::vector<TProfileAlias>& ProfileAliases() {
  // Where one program reads several profiles, the name goes to the one it
  // is usually given (a Flame grade is a 3DL, a Nuke one an Adobe cube).
  static const std::vector<TProfileAlias> aliases = {
      {"resolve", "cube-resolve"},
      {"davinci", "cube-resolve"},
      {"flame", "3dl-scratch"},
      {"scratch", "3dl-scratch"},
      {"smoke", "3dl-scratch"},
      {"fusion", "3dl-fusion"},
      {"lustre", "lustre-3d"},
      {"nuke", "cube-adobe"},
      {"photoshop", "cube-adobe"},
      {"aftereffects", "cube-adobe"},
      {"iridas", "cube-adobe"},
      {"premiere", "look-premiere"},
      {"speedgrade", "look-speedgrade"},
      {"truelight", "cube-truelight"},
      {"obs", "obs-png"},
      {"clf", "clf-3d"},
      {"ctf", "clf-3d"},
      {"pandora", "pandora-m3d"},
      {"quantel", "quantel-3d"},
      {"nucoda", "nucoda-3d"},
      {"cinespace", "cinespace-3d"},
      {"dolby", "dd3-dolby"},
      {"varicam", "panasonic-vlt"},
      {"clipster", "clipster-3d"},
      {"pfclean", "pfclean-3d"},
      {"hald", "hald-clut"},
      {"shake", "shake-1d"},
  };
  return aliases;
}

std::vector<std::string> ProfileAliasesOf(const TLutOutputProfile& profile) {
  const std::string id = ProfileId(profile);
  std::vector<std::string> names;
  for (const TProfileAlias& alias : ProfileAliases())
    if (!id.empty() && alias.Id == id) names.emplace_back(alias.Name);
  return names;
}

std::string ProfileId(const TLutOutputProfile& profile) {
  const auto at = IdOfCaption.find(profile.Name);
  return at == IdOfCaption.end() ? std::string() : std::string(at->second);
}
