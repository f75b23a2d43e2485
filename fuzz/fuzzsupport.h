#pragma once
// What both fuzz targets share: a failed property aborts, so libFuzzer reports the input,
// and a platform that answers every message with OK and counts them.
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

class QuietPlatform : public Platform {
public:
    int messages = 0;
    int lastStyle = 0;
    int MsgBox(const std::string&, int style, const std::string&) override {
        ++messages;
        lastStyle = style;
        return vbOK;
    }
    void DoEvents() override {}
    void Changed() override {}
    float Rnd() override { return 0.0f; }
    void Randomize() override {}
};
