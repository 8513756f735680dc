// The library's picture: 24 bits per pixel, rows top to bottom, each pixel's
// bytes blue, green, red in memory, rows packed without padding. Codecs decode
// into it, the LUT is applied to it in place, and the resampler reads and
// writes it; none of them needs more than this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int width, int height) { SetSize(width, height); }

  int Width() const { return Width_; }
  int Height() const { return Height_; }
  std::size_t Pitch() const { return static_cast<std::size_t>(Width_) * 3; }
  bool Empty() const { return Width_ == 0 || Height_ == 0; }

  // Resize to width x height, all pixels black.
  void SetSize(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative bitmap size");
    Width_ = width;
    Height_ = height;
    Pixels_.assign(Pitch() * static_cast<std::size_t>(height), 0);
  }

  std::uint8_t* Row(int y) { return Pixels_.data() + Pitch() * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(int y) const {
    return Pixels_.data() + Pitch() * static_cast<std::size_t>(y);
  }
  std::uint8_t* Bits() { return Pixels_.data(); }
  const std::uint8_t* Bits() const { return Pixels_.data(); }

  // Colour access by channel, for code that thinks in R, G, B.
  struct TRGB {
    std::uint8_t R, G, B;
    friend bool operator==(const TRGB&, const TRGB&) = default;
  };
  TRGB Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    return {p[2], p[1], p[0]};
  }
  void SetPixel(int x, int y, TRGB c) {
    std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    p[0] = c.B;
    p[1] = c.G;
    p[2] = c.R;
  }

  friend bool operator==(const TBitmap&, const TBitmap&) = default;

 private:
  int Width_ = 0;
  int Height_ = 0;
  std::vector<std::uint8_t> Pixels_;
};
