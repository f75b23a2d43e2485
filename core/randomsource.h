#pragma once
#include <cstdint>
#include <random>

// Uniform float source in [0, 1). std::generate_canonical<float> may return 1.0 on
// common libraries, so the value is built from 24 random bits instead.
class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 5489u) : engine_(seed) {}
    float Next() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }
    void Seed(std::uint32_t seed) { engine_.seed(seed); }
    void SeedFromTimeOfDay();

private:
    std::mt19937 engine_;
};
