// A tiny GIF89a writer for tests: solid-colour frames from a four-colour palette, each with its
// own delay. The LZW stream restarts every two pixels, so codes stay three bits wide.
#pragma once

#include <cstdint>
#include <vector>

namespace wguitest {

// Palette indices of makeGif.
enum GifColour { Red = 0, Green = 1, Blue = 2, White = 3 };

struct GifFrame {
    int colour;
    int delayHundredths;
};

inline std::vector<uint8_t> makeGif(int width, int height, const std::vector<GifFrame>& frames) {
    std::vector<uint8_t> out;
    auto put16 = [&](int v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    for (char c : {'G', 'I', 'F', '8', '9', 'a'})
        out.push_back(static_cast<uint8_t>(c));
    put16(width);
    put16(height);
    out.push_back(0x91); // global colour table of 4 entries, 2 bits of colour resolution
    out.push_back(0);
    out.push_back(0);
    const uint8_t palette[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    out.insert(out.end(), palette, palette + 12);

    for (const GifFrame& frame : frames) {
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x00});
        put16(frame.delayHundredths);
        out.insert(out.end(), {0x00, 0x00});
        out.push_back(0x2C);
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        out.push_back(0);
        out.push_back(2); // LZW minimum code size

        std::vector<uint8_t> data;
        uint32_t buffer = 0;
        int bits = 0;
        auto code = [&](int c) {
            buffer |= static_cast<uint32_t>(c) << bits;
            bits += 3;
            while (bits >= 8) {
                data.push_back(static_cast<uint8_t>(buffer & 0xFF));
                buffer >>= 8;
                bits -= 8;
            }
        };
        const int clear = 4, end = 5;
        int pixels = width * height;
        for (int i = 0; i < pixels; ++i) {
            if (i % 2 == 0)
                code(clear);
            code(frame.colour);
        }
        code(end);
        if (bits > 0)
            data.push_back(static_cast<uint8_t>(buffer & 0xFF));
        for (size_t at = 0; at < data.size(); at += 255) {
            size_t n = data.size() - at < 255 ? data.size() - at : 255;
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<long>(at),
                       data.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

} // namespace wguitest
