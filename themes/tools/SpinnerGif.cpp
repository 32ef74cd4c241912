// Writes the "refresh" indicator of a theme: a 16x16 animated GIF89a of eight dots going round,
// eight frames of 100 ms, looping forever, drawn in one colour over the theme's strip colour
// (which is also marked transparent). Plain standard C++, so it builds with any compiler:
//
//   g++ -std=c++17 -O2 themes/tools/SpinnerGif.cpp -o spinner_gif
//   ./spinner_gif themes/refresh_dark.gif 1E1E1E 4FA3FF
//   ./spinner_gif themes/refresh_light.gif F3F3F3 2F6FD0
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace {

const int kSize = 16;
const int kFrames = 8;
const int kDots = 8;
const int kLevels = 8; // palette: 0 = background ... 7 = full dot colour
const int kDelay = 10; // hundredths of a second

struct Rgb {
    int r, g, b;
};

bool parseRgb(const char* text, Rgb& rgb) {
    char* end = nullptr;
    unsigned long v = std::strtoul(text, &end, 16);
    if (!end || *end || end - text != 6)
        return false;
    rgb = {int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)};
    return true;
}

// Palette index of every pixel of one frame: dots anti-aliased by 4x4 supersampling, the
// leading dot full strength and each one behind it fainter.
std::vector<uint8_t> drawFrame(int frame) {
    const double pi = 3.14159265358979323846;
    const double centre = (kSize - 1) / 2.0, ring = 5.2, dotRadius = 1.7;
    std::vector<uint8_t> pixels(kSize * kSize, 0);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            double shade = 0;
            for (int d = 0; d < kDots; ++d) {
                const int behind = (frame - d + kDots) % kDots;
                const double strength = 1.0 - 0.11 * behind;
                const double angle = 2 * pi * d / kDots - pi / 2;
                const double cx = centre + ring * std::cos(angle), cy = centre + ring * std::sin(angle);
                int inside = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx) {
                        const double px = x + (sx + 0.5) / 4 - 0.5, py = y + (sy + 0.5) / 4 - 0.5;
                        if ((px - cx) * (px - cx) + (py - cy) * (py - cy) <= dotRadius * dotRadius)
                            ++inside;
                    }
                shade = std::max(shade, strength * inside / 16.0);
            }
            pixels[size_t(y * kSize + x)] = uint8_t(std::lround(shade * (kLevels - 1)));
        }
    }
    return pixels;
}

class BitWriter {
public:
    void put(int code, int width) {
        buffer_ |= uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes.push_back(uint8_t(buffer_ & 0xFF));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    void flush() {
        if (bits_ > 0)
            bytes.push_back(uint8_t(buffer_ & 0xFF));
        buffer_ = 0;
        bits_ = 0;
    }
    std::vector<uint8_t> bytes;

private:
    uint32_t buffer_ = 0;
    int bits_ = 0;
};

// GIF's variable-width LZW: codes grow from minCode+1 bits as the dictionary fills, and a clear
// code restarts it before it passes 4095 entries.
std::vector<uint8_t> compress(const std::vector<uint8_t>& pixels, int minCode) {
    const int clear = 1 << minCode, end = clear + 1;
    std::map<std::pair<int, int>, int> dictionary;
    int next = end + 1, width = minCode + 1;
    BitWriter out;
    out.put(clear, width);
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int c = pixels[i];
        auto it = dictionary.find({prefix, c});
        if (it != dictionary.end()) {
            prefix = it->second;
            continue;
        }
        out.put(prefix, width);
        dictionary[{prefix, c}] = next;
        if (next >= (1 << width) && width < 12)
            ++width;
        if (++next == 4095) {
            out.put(clear, width);
            dictionary.clear();
            next = end + 1;
            width = minCode + 1;
        }
        prefix = c;
    }
    out.put(prefix, width);
    out.put(end, width);
    out.flush();
    return out.bytes;
}

void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t(v >> 8 & 0xFF));
}

std::vector<uint8_t> makeGif(const Rgb& background, const Rgb& dot) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    put16(gif, kSize);
    put16(gif, kSize);
    gif.push_back(0xF2); // global colour table of 8 entries, 8 bits per primary
    gif.push_back(0);    // background colour index
    gif.push_back(0);    // no aspect ratio
    for (int i = 0; i < kLevels; ++i) {
        auto mix = [&](int a, int b) {
            return uint8_t(std::lround(a + (b - a) * double(i) / (kLevels - 1)));
        };
        gif.push_back(mix(background.r, dot.r));
        gif.push_back(mix(background.g, dot.g));
        gif.push_back(mix(background.b, dot.b));
    }
    // Loop forever.
    const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                            'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    gif.insert(gif.end(), loop, loop + sizeof loop);
    for (int f = 0; f < kFrames; ++f) {
        // Graphic control: restore to background after the frame, index 0 transparent.
        gif.insert(gif.end(), {0x21, 0xF9, 0x04, 0x09});
        put16(gif, kDelay);
        gif.push_back(0x00);
        gif.push_back(0x00);
        gif.push_back(0x2C); // image descriptor: the whole canvas, no local colour table
        put16(gif, 0);
        put16(gif, 0);
        put16(gif, kSize);
        put16(gif, kSize);
        gif.push_back(0x00);
        const int minCode = 3;
        gif.push_back(uint8_t(minCode));
        std::vector<uint8_t> data = compress(drawFrame(f), minCode);
        for (size_t pos = 0; pos < data.size(); pos += 255) {
            size_t n = std::min<size_t>(255, data.size() - pos);
            gif.push_back(uint8_t(n));
            gif.insert(gif.end(), data.begin() + long(pos), data.begin() + long(pos + n));
        }
        gif.push_back(0x00);
    }
    gif.push_back(0x3B);
    return gif;
}

} // namespace

int main(int argc, char** argv) {
    Rgb background{}, dot{};
    if (argc != 4 || !parseRgb(argv[2], background) || !parseRgb(argv[3], dot)) {
        std::fprintf(stderr, "usage: %s <out.gif> <background RRGGBB> <dot RRGGBB>\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> gif = makeGif(background, dot);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(gif.data(), 1, gif.size(), f) != gif.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
