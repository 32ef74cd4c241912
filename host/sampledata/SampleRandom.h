// A small random source whose sequence is fixed by its seed on every platform and compiler (the
// standard distributions are not), so a seed always gives the same database.
#pragma once

#include <cmath>
#include <cstdint>

class SampleRandom final {
public:
    explicit SampleRandom(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [0, n); 0 when n <= 0.
    int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<uint64_t>(n)) : 0; }
    bool chance(double p) { return uniform() < p; }
    // Standard normal (Box-Muller; the second value is dropped to keep the sequence simple).
    double normal() {
        double u = uniform();
        if (u < 1e-300)
            u = 1e-300;
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * uniform());
    }

private:
    uint64_t state_;
};
