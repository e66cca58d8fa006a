#include "support/GifWriter.h"

namespace {

void Little16(std::string& out, int value)
{
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

// LZW codes of 3 bits for a 4-colour table: a clear code before every second pixel keeps the
// code table from growing, which every decoder reads the same way.
std::string FrameData(int pixels, int colour)
{
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    std::vector<int> codes;
    for (int pixel = 0; pixel < pixels; ++pixel) {
        if (pixel % 2 == 0)
            codes.push_back(kClear);
        codes.push_back(colour);
    }
    codes.push_back(kEnd);
    std::string packed;
    unsigned buffer = 0;
    int bits = 0;
    for (const int code : codes) {
        buffer |= static_cast<unsigned>(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.push_back(static_cast<char>(buffer & 0xff));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.push_back(static_cast<char>(buffer & 0xff));
    std::string blocks(1, '\x02'); // minimum code size
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        blocks.push_back(static_cast<char>(block.size()));
        blocks += block;
    }
    blocks.push_back('\0');
    return blocks;
}

} // namespace

std::string AnimatedGif(int width, int height, const std::vector<std::uint32_t>& frames)
{
    std::string gif = "GIF89a";
    Little16(gif, width);
    Little16(gif, height);
    gif += "\xf1"; // global colour table of 4 entries
    gif.push_back('\0');
    gif.push_back('\0');
    for (std::size_t index = 0; index < 4; ++index) {
        const std::uint32_t colour = index < frames.size() ? frames[index] : 0;
        gif.push_back(static_cast<char>((colour >> 16) & 0xff));
        gif.push_back(static_cast<char>((colour >> 8) & 0xff));
        gif.push_back(static_cast<char>(colour & 0xff));
    }
    gif += std::string("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19); // loop for ever
    for (std::size_t frame = 0; frame < frames.size() && frame < 4; ++frame) {
        gif += std::string("\x21\xf9\x04\x00\x0a\x00\x00\x00", 8); // 100 ms
        gif.push_back(',');
        Little16(gif, 0);
        Little16(gif, 0);
        Little16(gif, width);
        Little16(gif, height);
        gif.push_back('\0');
        gif += FrameData(width * height, static_cast<int>(frame));
    }
    gif.push_back(';');
    return gif;
}
