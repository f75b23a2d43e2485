#include "randomsource.h"

#include <chrono>

namespace {
std::uint64_t SystemMicroseconds() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
} // namespace

SeedSources SeedSources::System() {
    return {SystemMicroseconds, [] { return std::random_device()(); }};
}

RandomSource::RandomSource(std::uint32_t seed) : engine_(seed), clock_(SystemMicroseconds) {}

RandomSource::RandomSource(SeedSources sources) : clock_(std::move(sources.clock)) {
    const std::uint64_t time = clock_();
    std::seed_seq seed{static_cast<std::uint32_t>(time), static_cast<std::uint32_t>(time >> 32), sources.entropy()};
    engine_.seed(seed);
}

void RandomSource::SeedFromTimeOfDay() { Seed(static_cast<std::uint32_t>(clock_())); }
