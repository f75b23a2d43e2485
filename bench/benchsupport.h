#pragma once
// Timing, process figures and the result table of the benchmark program.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "platform.h"
#include "randomsource.h"

// A platform that never waits: Yes to every question, yields and change notices do
// nothing, draws come from a seeded source.
class QuietPlatform : public Platform {
public:
    int MsgBox(const std::string&, int, const std::string&) override { return vbYes; }
    void DoEvents() override {}
    void Changed() override {}
    float Rnd() override { return random_.Next(); }
    void Randomize() override {}

private:
    RandomSource random_{2024};
};

struct Stats {
    int iterations = 0;
    double median = 0; // microseconds
    double mean = 0;
};

inline Stats Summarise(std::vector<double> samples) {
    Stats s;
    s.iterations = static_cast<int>(samples.size());
    if (samples.empty())
        return s;
    s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    s.median = samples[samples.size() / 2];
    return s;
}

// Runs setup(i) untimed, then op(i) timed, n times after n/10 warm-up rounds.
template <class Setup, class Op> Stats Measure(int n, Setup setup, Op op) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < n / 10; ++i) {
        setup(i);
        op(i);
    }
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        setup(i);
        const auto start = Clock::now();
        op(i);
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return Summarise(std::move(samples));
}

template <class Op> Stats Measure(int n, Op op) {
    return Measure(
        n, [](int) {}, op);
}

// Resident set size in MiB, from /proc/self/status.
inline double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

// User plus system CPU time of the process, in seconds.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The printed result: one row per figure. A figure above its target is marked, never fatal.
class Table {
public:
    // A timed operation; figures in microseconds, shown in unit ("us" or "ms").
    void Timed(const std::string& name, const Stats& s, const std::string& unit, double target) {
        const double scale = unit == "ms" ? 1e-3 : 1.0;
        rows_.push_back({name, std::to_string(s.iterations), Format(s.median * scale), Format(s.mean * scale), unit,
                         Target(target, unit), target > 0 && s.median * scale > target});
    }
    // A single figure (ms, MiB, % of one core).
    void Figure(const std::string& name, const std::string& count, double value, const std::string& unit,
                double target = 0) {
        rows_.push_back({name, count, Format(value), "-", unit, Target(target, unit), target > 0 && value > target});
    }
    void Print() const {
        std::printf("%-52s %10s %10s %10s  %-4s %-10s\n", "benchmark", "iterations", "median", "mean", "unit",
                    "target");
        std::printf("%s\n", std::string(104, '-').c_str());
        for (const Row& r : rows_)
            std::printf("%-52s %10s %10s %10s  %-4s %-10s%s\n", r.name.c_str(), r.count.c_str(), r.median.c_str(),
                        r.mean.c_str(), r.unit.c_str(), r.target.c_str(), r.above ? "  ABOVE TARGET" : "");
        std::fflush(stdout);
    }

private:
    struct Row {
        std::string name, count, median, mean, unit, target;
        bool above;
    };
    static std::string Format(double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, v < 10 ? "%.3f" : v < 1000 ? "%.2f" : "%.0f", v);
        return buffer;
    }
    static std::string Target(double target, const std::string& unit) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "< %g %s", target, unit.c_str());
        return target > 0 ? buffer : "-";
    }
    std::vector<Row> rows_;
};
