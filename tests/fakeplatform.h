#pragma once
// A scripted platform for the game module: answers questions from a queue, counts
// yields, can run code inside a yield or under an open question, and draws from a
// seeded or scripted random source.
#include "modmain.h"
#include "randomsource.h"

#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

class FakePlatform : public Platform {
public:
    struct Asked {
        std::string prompt;
        int style;
        std::string title;
    };
    std::deque<int> answers; // empty: answer Yes
    std::vector<Asked> asked;
    int yields = 0;
    int randomizes = 0;
    std::function<void()> onYield; // runs once, inside the next yield
    std::function<void()> onAsk;   // runs while a question is open (before it is answered)
    std::deque<float> scripted;    // values Rnd returns first
    RandomSource random{12345};

    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        asked.push_back({prompt, style, title});
        if (onAsk)
            std::exchange(onAsk, nullptr)();
        if (answers.empty())
            return vbYes;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void DoEvents() override {
        ++yields;
        if (onYield)
            std::exchange(onYield, nullptr)();
    }
    void Changed() override {}
    float Rnd() override {
        if (!scripted.empty()) {
            const float r = scripted.front();
            scripted.pop_front();
            return r;
        }
        return random.Next();
    }
    void Randomize() override { ++randomizes; }
};

// Writes a sheet from five lines of five cells; "." is an empty cell.
//   "1 2 3 4 @\n5 6 7 8 9\n..."
inline void SetSheet(modMain& m, int sheet, const std::string& rows) {
    std::istringstream in(rows);
    std::string cell;
    for (int c = 0; c < kCellsPerSheet && in >> cell; ++c)
        m.BBox[sheet * kCellsPerSheet + c].Caption = cell == "." ? std::string() : cell;
}

// A module after program start, settings loaded, untitled document in edit mode.
struct Game {
    FakePlatform platform;
    modMain m{platform};
    explicit Game(SettingRecord settings = {0, 0, 99}) {
        m.SysSetting = settings;
        for (int s = 0; s < kSheets; ++s)
            m.ClearSheet(s);
        m.SelectBox(0);
    }
    void Call(int n) {
        m.LBInput = std::to_string(n);
        m.CallNumber();
    }
};
