#include "image/ImageTestSupport.h"

#include <OpenImageIO/imageio.h>

#include <stdexcept>
#include <vector>

void WriteRawPicture(const std::filesystem::path& file, int width, int height, int channels,
                     int bits, double level) {
  const OIIO::TypeDesc type = bits == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8;
  auto out = OIIO::ImageOutput::create(file.string());
  const OIIO::ImageSpec spec(width, height, channels, type);
  std::vector<float> samples(static_cast<std::size_t>(width) * height * channels,
                             static_cast<float>(level));
  if (!out || !out->open(file.string(), spec) ||
      !out->write_image(OIIO::TypeDesc::FLOAT, samples.data()) || !out->close())
    throw std::runtime_error("cannot write test picture " + file.string());
}
