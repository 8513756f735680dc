// Pictures the program never writes itself (grey, alpha, 16-bit, odd sizes),
// written straight through libpng and libtiff for the image tests.
#pragma once

#include <filesystem>

// A width x height picture of the given channels and bits per sample, every
// sample at the same fraction of full scale.
void WriteRawPicture(const std::filesystem::path& file, int width, int height, int channels,
                     int bits, double level = 0.5);
