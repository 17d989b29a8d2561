#pragma once

#include <cstddef>
#include <cstdint>

namespace sonvale::engine {

// Puts samples on the grid of an integer result of `bits` bits (steps of 2^(1 - bits) of full
// scale). A sample already on the grid passes unchanged, so a 16-bit source written with 16 bits
// stays bit-exact; any other gets triangular dither of one step before rounding, which turns the
// rounding error of quiet passages into a steady hiss instead of distortion. Samples beyond full
// scale are clipped and counted. One stream, one thread.
class SampleQuantizer final {
public:
    explicit SampleQuantizer(int bits);

    void quantize(double* samples, size_t count);
    int64_t clippedSamples() const { return clipped_; }

private:
    // Uniform in [0, 1), from a fixed seed so a conversion gives the same file every time.
    double nextUniform();

    double scale_;
    double lowest_;
    double highest_;
    uint64_t state_ = 0x9e3779b97f4a7c15u;
    int64_t clipped_ = 0;
};

} // namespace sonvale::engine
