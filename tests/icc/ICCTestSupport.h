// Reading back what the ICC writer produced: big-endian fields and the tag
// table, so that tests can check a profile tag by tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline std::uint32_t BE32(std::string_view bytes, std::size_t at) {
  const auto b = [&](std::size_t k) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k]));
  };
  return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

inline std::uint16_t BE16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                    static_cast<unsigned char>(bytes[at + 1]));
}

struct TTagEntry {
  std::string Sig;
  std::uint32_t Offset;  // in the file
  std::uint32_t Size;
};

inline std::vector<TTagEntry> TagTable(std::string_view profile) {
  std::vector<TTagEntry> tags;
  const std::uint32_t count = BE32(profile, 128);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = 132 + 12 * i;
    tags.push_back(
        {std::string(profile.substr(at, 4)), BE32(profile, at + 4), BE32(profile, at + 8)});
  }
  return tags;
}

inline std::vector<std::string> TagNames(std::string_view profile) {
  std::vector<std::string> names;
  for (const TTagEntry& t : TagTable(profile)) names.push_back(t.Sig);
  return names;
}

// The body of the named tag (empty when absent).
inline std::string_view TagBody(std::string_view profile, std::string_view sig) {
  for (const TTagEntry& t : TagTable(profile))
    if (t.Sig == sig) return profile.substr(t.Offset, t.Size);
  return {};
}
