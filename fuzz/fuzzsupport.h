#pragma once
// What both fuzz targets share: a failed property aborts, so libFuzzer reports the input,
// and a platform that answers every message with OK. Include it in one file per target.
#include "numbers.h"
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// Every input allocates dozens of short blocks. Recording where each was allocated and
// filling it with a pattern took a third of the run time, so both are off by default; a
// saved crash input reproduces with full reports under
// ASAN_OPTIONS=malloc_context_size=30:max_malloc_fill_size=4096.
extern "C" const char* __asan_default_options() { return "malloc_context_size=0:max_malloc_fill_size=0"; }

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

// A cell a file may hold, checked here independently of the readers under test.
inline bool IsUsableCell(const std::string& cell) {
    if (cell.empty() || cell == "@")
        return true;
    const auto value = ParseNumber(cell);
    return value && *value >= 0.0 && *value <= 99.0;
}

class QuietPlatform : public Platform {
public:
    int MsgBox(const std::string&, int, const std::string&) override { return vbOK; }
    void DoEvents() override {}
    void Changed() override {}
    float Rnd() override { return 0.0f; }
    void Randomize() override {}
};
