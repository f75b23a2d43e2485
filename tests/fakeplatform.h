#pragma once
// A scripted platform for the game module: answers questions from a queue, counts
// yields, can run code inside a yield or under an open question, and draws from a
// seeded or scripted random source.
#include "modmain.h"
#include "randomsource.h"

#include <deque>
#include <functional>
#include <sstream>
#include <stdexcept>
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
    long rnds = 0;      // values drawn so far
    long rndLimit = -1; // not -1: Rnd throws once rnds reaches it, so a draw loop that never ends fails

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
        if (rndLimit >= 0 && rnds >= rndLimit)
            throw std::runtime_error("Rnd drawn too often: a draw loop does not end");
        ++rnds;
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

// A sheet as five lines of five blank-separated tokens, one per cell.
template <typename Token> std::string SheetGrid(const modMain& m, int sheet, Token token) {
    std::string out;
    for (int c = 0; c < kCellsPerSheet; ++c)
        out += token(m.BBox[sheet * kCellsPerSheet + c]) + (c == 24 ? "" : c % 5 == 4 ? "\n" : " ");
    return out;
}
// The cell texts in SetSheet's notation, "." for empty.
inline std::string SheetText(const modMain& m, int sheet) {
    return SheetGrid(m, sheet, [](const Cell& c) { return c.Caption.empty() ? std::string(".") : c.Caption; });
}
// One letter per colour: K black, W white, B blue, R red, N navy, F button face.
inline char ColourLetter(Colour c) { return "KWBRNF"[static_cast<int>(c)]; }
// The cell colours, back colour upper case then text colour lower case: "Wk" is a normal cell,
// "Nw" the selected one, "Kw" a hit.
inline std::string ColourGrid(const modMain& m, int sheet) {
    return SheetGrid(m, sheet, [](const Cell& c) {
        return std::string{ColourLetter(c.BackColor), static_cast<char>(ColourLetter(c.ForeColor) + 'a' - 'A')};
    });
}
// A question as "prompt | title | style", to compare all three at once.
inline std::string AskedText(const FakePlatform::Asked& a) {
    return a.prompt + " | " + a.title + " | " + std::to_string(a.style);
}
// Everything the module holds and shows, as one text: equal snapshots mean nothing changed.
inline std::string Snapshot(const modMain& m) {
    std::ostringstream out;
    out << m.LBLineMess << '|' << m.LBNum << '|' << m.LBInput << ColourLetter(m.LBInputForeColor)
        << ColourLetter(m.LBInputBackColor) << '|' << m.StatusText << '|' << m.Caption << '|' << m.InputBuf << '|'
        << m.CurBox << ' ' << m.CurSheet << '|' << m.DocDir << m.DocName << ' ' << m.DocChanged << '|'
        << m.Timer1Enabled << m.RunLabelsVisible << '|' << m.SysSetting.RunMode << ' ' << m.SysSetting.MinNumber
        << ' ' << m.SysSetting.MaxNumber << '|';
    for (const auto& label : m.LBLog)
        out << label << ',';
    for (int n : m.NumLog)
        out << n << ',';
    for (int h : m.HitFlag)
        out << h;
    for (const char* name : {"mn_New", "mn_Open", "mn_Save", "mn_As", "mn_Edit", "mn_Start", "mn_End", "mnTool"})
        out << m.MenuEnabled(name);
    for (const char* key : {"New", "Open", "Save", "Del", "Start", "Stop", "RealRun", "RandRun", "Random", "FreeHole",
                            "Info"})
        out << m.ButtonEnabled(key);
    for (int s = 0; s < kSheets; ++s)
        out << '\n' << m.BSheet[s] << '|' << m.BMess[s].Caption << ColourLetter(m.BMess[s].BackColor) << '\n'
            << SheetText(m, s) << '\n' << ColourGrid(m, s);
    return out.str();
}
