#pragma once
// Test doubles, a module started in a fresh program folder, and text views of the module's state. Suites that link
// only the core get a platform without Qt's event loop; the others fake the program's own platform.
#include "modmain.h"
#include "randomsource.h"

#include <QtTest>

#include <functional>
#include <iterator>
#include <sstream>
#include <stdexcept>

#if __has_include("qtplatform.h")
#include "documentcommands.h"
#include "qtplatform.h"
#include "settingsfile.h"
#include "sheetdocument.h"

#include <QtWidgets>
using PlatformBase = QtPlatform;
// File dialogs answering with the next queued full path; "" or none left cancels.
struct FakeDialogs : FileDialogs {
    QStringList open, save;
    int saves = 0;
    std::optional<std::string> GetOpenFileName() override { return Next(open); }
    std::optional<std::string> GetSaveFileName() override { return ++saves, Next(save); }
    static std::optional<std::string> Next(QStringList& paths) {
        const QString path = paths.isEmpty() ? QString() : paths.takeFirst();
        return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
    }
};
#else
struct PlatformBase : Platform {
    void DoEvents() override {}
    void Changed() override {}
};
inline void NewDocument(modMain& m) { m.ClearDocument(); }
#endif

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
// A data table's row, its cells in column order; literal texts become QString.
template <class T> const T& RowCell(const T& v) { return v; }
inline QString RowCell(const char* v) { return v; }
template <class... T> void Columns(const auto&... names) { (QTest::addColumn<T>(names), ...); }
template <class... T> void Row(const QString& name, const T&... cells) {
    (QTest::newRow(qPrintable(name)) << ... << RowCell(cells));
}

// The program's platform answering questions from a queue (empty: Yes), recorded as "prompt | title | style";
// onAsk runs under the next question, onYield inside the next yield; Rnd gives scripted values, then seeded ones.
struct FakePlatform : PlatformBase {
    QList<int> answers;
    QStringList asked;
    std::function<void()> onAsk, onYield;
    QList<float> scripted;
    RandomSource random{12345};
    int randomizes = 0;
    long rnds = 0, rndLimit = -1; // not -1: Rnd throws at rndLimit draws, so an endless draw loop fails
    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        asked << Q(prompt + " | " + title + " | " + std::to_string(style));
        if (onAsk) std::exchange(onAsk, nullptr)();
        return answers.isEmpty() ? vbYes : answers.takeFirst();
    }
    void DoEvents() override {
        if (onYield) std::exchange(onYield, nullptr)();
        PlatformBase::DoEvents();
    }
    float Rnd() override {
        if (++rnds > rndLimit && rndLimit >= 0)
            throw std::runtime_error("Rnd drawn too often: a draw loop does not end");
        return scripted.isEmpty() ? random.Next() : scripted.takeFirst();
    }
    void Randomize() override { ++randomizes; }
    // Each announcement: "-" for no call, "." for a call without news, else the news by sheet, "R0 B1".
    QStringList news;
    void Announce(const CallNews& n) override {
        QStringList parts;
        for (int s = 0; s < kSheets; ++s)
            if (n.sheets[s] != LineNews::None) parts << QString(n.sheets[s] == LineNews::Bingo ? "B%1" : "R%1").arg(s);
        news << (!n.call ? "-" : parts.isEmpty() ? "." : parts.join(' '));
        PlatformBase::Announce(n);
    }
};

// A document file every suite opens: eight names, then 200 cells of 42.
inline const QByteArray kLoaded = "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200);
inline SettingRecord Setting(int m, int lo, int hi) { return {std::int16_t(m), std::int16_t(lo), std::int16_t(hi)}; }
// A settings file's six lines; numbers given as int written as the program does, " 5 ".
inline QByteArray SettingsFile(const QByteArray& mode, const QByteArray& lo, const QByteArray& hi) {
    return "<RunMode>\r\n" + mode + "\r\n<MinNumber>\r\n" + lo + "\r\n<MaxNumber>\r\n" + hi + "\r\n";
}
inline QByteArray SettingsFile(int mode, int lo, int hi) {
    const auto field = [](int v) { return " " + QByteArray::number(v) + " "; };
    return SettingsFile(field(mode), field(lo), field(hi));
}

// A module after program start in a fresh program folder: settings set, an untitled document in edit mode.
struct Game {
    QTemporaryDir dir;
    FakePlatform platform;
    modMain m{platform};
    explicit Game(SettingRecord settings = {0, 0, 99}) {
        m.AppFolder = dir.path().toStdString() + "/";
        m.run.SysSetting = settings;
        NewDocument(m);
    }
    void Call(int n) {
        m.view.LBInput = std::to_string(n);
        m.CallNumber();
    }
    QByteArray Read(const QString& name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>";
    }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
};

// Writes a sheet from five lines of five cells, "." an empty cell, "_" a blank: "1 2 3 4 @\n5 6 7 8 9\n...".
inline void SetSheet(modMain& m, int sheet, const std::string& rows) {
    std::istringstream in(rows);
    std::string cell;
    for (int c = 0; c < kCellsPerSheet && in >> cell; ++c)
        m.view.BBox[sheet * kCellsPerSheet + c].Caption = cell == "." ? "" : Q(cell).replace('_', ' ').toStdString();
}
// One letter per colour: K black, W white, B blue, R red, N navy, F button face.
inline QChar ColourLetter(Colour c) { return QLatin1Char("KWBRNF"[int(c)]); }
// A sheet as five lines of five tokens: the cell texts in SetSheet's notation, or the colours, back
// colour upper case and text colour lower case: "Wk" a normal cell, "Nw" the selected one, "Kw" a hit.
inline std::string GridText(const modMain& m, int sheet, bool colours) {
    std::string out;
    for (int c = 0; c < kCellsPerSheet; ++c) {
        const Cell& cell = m.view.BBox[sheet * kCellsPerSheet + c];
        if (colours) {
            out.push_back("KWBRNF"[int(cell.BackColor)]);
            out.push_back("kwbrnf"[int(cell.ForeColor)]);
        } else {
            out.append(cell.Caption.empty() ? "." : cell.Caption);
        }
        if (c < 24) out.push_back(c % 5 == 4 ? '\n' : ' ');
    }
    return out;
}
inline QString Grid(const modMain& m, int sheet, bool colours) { return Q(GridText(m, sheet, colours)); }
// Everything the module holds and shows, as one text: equal snapshots mean nothing changed.
inline QString Snapshot(const modMain& m) {
    const DisplayModel& v = m.view;
    const SettingRecord& set = m.run.SysSetting;
    std::ostringstream out;
    out << v.LBLineMess << '|' << v.LBNum << '|' << v.LBInput << int(v.LBInputForeColor) << int(v.LBInputBackColor)
        << '|' << v.StatusText << '|' << v.Caption << '|' << m.run.InputBuf << '|' << v.CurBox << ' ' << v.CurSheet
        << '|' << m.doc.DocDir << m.doc.DocName << ' ' << m.doc.DocChanged << '|' << v.Timer1Enabled
        << v.RunLabelsVisible << '|' << set.RunMode << ' ' << set.MinNumber << ' ' << set.MaxNumber << ' '
        << v.RealRunPressed << v.RandRunPressed << m.IsRunning() << m.CanTakeBack() << '|'; // all enabled states
    std::copy(m.CallRecord().begin(), m.CallRecord().end(), std::ostream_iterator<int>(out, ","));
    std::copy(v.LBLog.begin(), v.LBLog.end(), std::ostream_iterator<std::string>(out, ","));
    std::copy(m.run.NumLog.begin(), m.run.NumLog.end(), std::ostream_iterator<int>(out, ","));
    std::copy(m.run.HitFlag.begin(), m.run.HitFlag.end(), std::ostream_iterator<int>(out));
    for (int s = 0; s < kSheets; ++s)
        out << '\n'
            << v.BSheet[s] << '|' << v.BMess[s].Caption << int(v.BMess[s].BackColor) << '\n'
            << GridText(m, s, false) << '\n'
            << GridText(m, s, true);
    return Q(out.str());
}
