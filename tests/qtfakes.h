#pragma once
// The window's platform with scripted answers instead of message boxes, for tests that
// drive the real main window.
#include "qtplatform.h"
#include "randomsource.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedQtPlatform : public QtPlatform {
public:
    std::deque<int> answers; // empty: Yes
    std::vector<std::string> prompts;
    RandomSource random{777};
    int MsgBox(const std::string& prompt, int, const std::string&) override {
        prompts.push_back(prompt);
        if (answers.empty())
            return vbYes;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    float Rnd() override { return random.Next(); }
};
