#include "randomsource.h"

#include <chrono>

void RandomSource::SeedFromTimeOfDay() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    Seed(static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}
