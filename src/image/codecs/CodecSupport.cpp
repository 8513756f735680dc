// The helpers every codec shares: reads by offset, byte orders, messages.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "image/codecs/PictureCodec.h"

bool ReadFileAt(const TPictureFile& file, std::uint64_t offset, void* to, std::size_t n) {
  if (offset > file.Size || n > file.Size - offset) return false;
  auto* p = static_cast<unsigned char*>(to);
  while (n > 0) {
    const ssize_t got = ::pread(file.Fd, p, n, static_cast<off_t>(offset));
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

void RaiseDamaged(const std::string& name, const std::string& what) {
  throw EImageError("The picture \"" + name + "\" is damaged: " + what + ".");
}

void RaiseTruncated(const std::string& name, const std::string& what) {
  throw EImageError("The picture \"" + name + "\" ends early: " + what + ".");
}

std::uint16_t Get16(const unsigned char* p, bool bigEndian) {
  return static_cast<std::uint16_t>(bigEndian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

std::uint32_t Get32(const unsigned char* p, bool bigEndian) {
  return bigEndian ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                         std::uint32_t(p[2]) << 8 | p[3]
                   : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                         std::uint32_t(p[1]) << 8 | p[0];
}

void Put16(unsigned char* p, std::uint16_t v, bool bigEndian) {
  p[bigEndian ? 0 : 1] = static_cast<unsigned char>(v >> 8);
  p[bigEndian ? 1 : 0] = static_cast<unsigned char>(v);
}

void Put32(unsigned char* p, std::uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i)
    p[bigEndian ? 3 - i : i] = static_cast<unsigned char>(v >> (8 * i));
}

void TMemorySink::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (offset + size > Bytes_.size()) Bytes_.resize(offset + size);
  std::memcpy(Bytes_.data() + offset, data, size);
}

std::size_t TMemorySink::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
  if (offset >= Bytes_.size()) return 0;
  size = std::min<std::size_t>(size, Bytes_.size() - offset);
  std::memcpy(data, Bytes_.data() + offset, size);
  return size;
}
