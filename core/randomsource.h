#pragma once
#include <cstdint>
#include <functional>
#include <random>

// Where seeds come from: the clock (microseconds since the epoch), and something that
// differs between two program starts within one tick of it.
struct SeedSources {
    std::function<std::uint64_t()> clock;
    std::function<std::uint32_t()> entropy;
    static SeedSources System(); // the system clock and std::random_device
};

// Uniform float source in [0, 1). std::generate_canonical<float> may return 1.0 on
// common libraries, so the value is built from 24 random bits instead.
class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 5489u);
    // Seeded at once from the clock and the entropy, so no two starts roll alike.
    explicit RandomSource(SeedSources sources);
    float Next() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }
    void Seed(std::uint32_t seed) { engine_.seed(seed); }
    void SeedFromTimeOfDay(); // the clock alone, as the random fills reseed

private:
    std::mt19937 engine_;
    std::function<std::uint64_t()> clock_;
};
