#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A GIF89a file of `width` by `height` pixels with one frame per entry of `frames`, each frame
// filled with one colour (0xRRGGBB) and shown for a tenth of a second, looping. Qt reads GIF
// but cannot write it; tests need animated banners.
std::string AnimatedGif(int width, int height, const std::vector<std::uint32_t>& frames);
