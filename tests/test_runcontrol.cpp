#include "fakeplatform.h"

#include <QtTest>

#include <algorithm>
#include <set>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
const QString kEditMode = "編集モード";
SettingRecord RandRun(int lo, int hi) { return {1, static_cast<std::int16_t>(lo), static_cast<std::int16_t>(hi)}; }
// One roulette tick, then a click on LBInput; returns the number called.
int TickAndCall(Game& g) {
    g.m.Timer1_Timer();
    const int n = Q(g.m.LBInput).toInt();
    g.m.LBInput_Click();
    return n;
}
struct Exhaust {
    int lo, hi, calls;          // the run's range, numbers called before it runs out
    int newLo = -1, newHi = -1; // the range changed under the run
    int endAnswer = 0;          // not 0: the range runs out under the End question, answered so
};
int Notices(const FakePlatform& p) {
    return int(std::count_if(p.asked.begin(), p.asked.end(), [](const auto& a) { return a.style == 54; }));
}
} // namespace
Q_DECLARE_METATYPE(Exhaust)

class TestRunControl : public QObject {
    Q_OBJECT
private slots:
    void startQuestion_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("caption");
        QTest::newRow("RealRun answered No changes nothing") << 0 << int(vbNo) << kEditMode;
        QTest::newRow("RandRun answered No changes nothing") << 1 << int(vbNo) << kEditMode;
        QTest::newRow("RealRun answered Yes starts without roulette") << 0 << int(vbYes) << "実行中 / 実戦形式";
        QTest::newRow("RandRun answered Yes starts the roulette") << 1 << int(vbYes) << "実行中 / 乱数形式";
    }
    void startQuestion() {
        QFETCH(int, mode);
        QFETCH(int, answer);
        Game g(RandRun(0, 99));
        g.m.SysSetting.RunMode = static_cast<std::int16_t>(mode);
        g.m.StatusText = "x";
        g.m.NumLog[100] = 7;
        g.platform.answers = {answer};
        const std::string before = Snapshot(g.m);
        g.m.Start();
        QCOMPARE(Q(AskedText(g.platform.asked.at(0))),
                 QString("ビンゴを%1で開始します。よろしいですか? | 開始 | 52").arg(mode ? "乱数形式" : "実戦形式"));
        QTEST(Q(g.m.LBLineMess), "caption");
        if (answer == vbNo) {
            QCOMPARE(Q(Snapshot(g.m)), Q(before));
            return;
        }
        QCOMPARE(g.m.Timer1Enabled, mode == 1);
        QCOMPARE(QString("%1 %2 %3 ").arg(g.m.NumLog[0]).arg(g.m.NumLog[99]).arg(g.m.NumLog[100]) + Q(g.m.LBNum),
                 "999 999 7 0");
        // No cell shows as selected; LBInput white on navy.
        QCOMPARE(Q(ColourGrid(g.m, 0).substr(0, 2) + ColourLetter(g.m.LBInputForeColor) +
                   ColourLetter(g.m.LBInputBackColor) + g.m.StatusText),
                 "WkWN現在、ﾘｰﾁはありません。");
        QVERIFY(g.m.RunLabelsVisible);
    }

    void controlsFollowTheRunState_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<bool>("inEdit");
        QTest::addColumn<bool>("inRun");
        for (const char* name : {"mn_New", "mn_Open", "mn_Save", "mn_As", "mn_Edit", "mn_Start", "mnTool"})
            QTest::newRow(qPrintable(QString("menu %1 only in edit mode").arg(name))) << name << true << true << false;
        QTest::newRow("menu mn_End only in a run") << "mn_End" << true << false << true;
        QTest::newRow("menu mn_Quit untouched by runs") << "mn_Quit" << true << true << true;
        for (const char* key :
             {"New", "Open", "Save", "Del", "Start", "RealRun", "RandRun", "Random", "FreeHole", "Info"})
            QTest::newRow(qPrintable(QString("button %1 only in edit mode").arg(key))) << key << false << true << false;
        QTest::newRow("button Stop only in a run") << "Stop" << false << false << true;
        QTest::newRow("button Help untouched by runs") << "Help" << false << true << true;
    }
    void controlsFollowTheRunState() {
        QFETCH(QString, name);
        QFETCH(bool, menu);
        Game g;
        const std::string n = name.toStdString();
        const auto enabled = [&] { return menu ? g.m.MenuEnabled(n) : g.m.ButtonEnabled(n); };
        QTEST(enabled(), "inEdit");
        g.m.Start();
        QTEST(enabled(), "inRun");
        g.m.End();
        QTEST(enabled(), "inEdit");
    }

    void rangeExhaustedEndsTheRun_data() {
        QTest::addColumn<Exhaust>("c");
        QTest::newRow("range 10..34 ends itself after 25 calls") << Exhaust{10, 34, 25};
        QTest::newRow("range 0..99 takes the 100th call before the notice") << Exhaust{0, 99, 100};
        // Faults mended: the draw loop never ended when the range was changed under the run to
        // numbers all called; the range running out under the End question let a late No put
        // the run caption back over edit mode (or a late Yes end the run twice).
        QTest::newRow("range changed to numbers all called") << Exhaust{0, 99, 30, 5, 29};
        QTest::newRow("range ran out under the End question, No") << Exhaust{10, 34, 25, -1, -1, vbNo};
        QTest::newRow("range ran out under the End question, Yes") << Exhaust{10, 34, 25, -1, -1, vbYes};
    }
    void rangeExhaustedEndsTheRun() {
        QFETCH(Exhaust, c);
        Game g(RandRun(c.lo, c.hi));
        g.m.Start();
        std::set<int> called;
        while (called.size() < std::size_t(c.calls)) {
            if (c.newLo >= 0) // call lo, lo + 1, ... in order; two ticks each
                g.platform.scripted.assign(2, (float(called.size()) + 0.5f) / float(c.hi - c.lo + 1));
            g.m.Timer1_Timer(); // every tick shows a number not called yet
            const int n = TickAndCall(g);
            QVERIFY(n >= c.lo && n <= c.hi && called.insert(n).second);
            QVERIFY(g.platform.asked.size() == 1 && g.m.Timer1Enabled); // only Start asked
        }
        if (c.newLo >= 0)
            g.m.SysSetting = RandRun(c.newLo, c.newHi);
        g.platform.rndLimit = g.platform.rnds + 10000;
        QString during = "一時停止";
        g.platform.answers = {vbOK, c.endAnswer}; // a notice under the End question is answered first
        if (c.endAnswer) {
            g.platform.onAsk = [&] {
                g.m.Timer1_Timer();
                g.m.CurBox = 60; // probe: a second EndRun would show cell 60 selected
            };
            g.m.End();
        } else {
            g.platform.onAsk = [&] { during = Q(g.m.LBLineMess) + (g.m.Timer1Enabled ? " timer on" : ""); };
            g.m.Timer1_Timer();
        }
        const int size = c.newLo >= 0 ? c.newHi - c.newLo + 1 : c.hi - c.lo + 1;
        QCOMPARE(Notices(g.platform), 1);
        QCOMPARE(Q(AskedText(g.platform.asked[1 + (c.endAnswer != 0)])),
                 QString("回数が%1回に到達したので終了します。 | 終了 | 54").arg(size));
        QCOMPARE(during, "一時停止");
        QCOMPARE(Q(g.m.LBLineMess), kEditMode);
        QVERIFY(!g.m.Timer1Enabled && !g.m.MenuEnabled("mn_End") && g.m.BBox[60].BackColor == Colour::White);
        g.m.Timer1_Timer();
        QVERIFY(g.m.LBInput.empty() && Notices(g.platform) == 1);
    }

    void realRunKeys_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("state"); // LBInput / LBNum / NumLog(0)
        QTest::newRow("1, 2, 3 show 23") << QList<int>{49, 50, 51} << "23/0/999";
        QTest::newRow("Enter calls 23") << QList<int>{49, 50, 51, 13} << "/1/23";
        QTest::newRow("keypad digits and separator call 12") << QList<int>{97, 98, 108} << "/1/12";
        QTest::newRow("digits after a call start afresh") << QList<int>{49, 50, 51, 13, 52} << "4/1/23";
        QTest::newRow("Enter on empty LBInput does nothing") << QList<int>{13} << "/0/999";
        QTest::newRow("Enter right after a call does nothing") << QList<int>{48, 55, 13, 13} << "/1/7";
    }
    void realRunKeys() {
        QFETCH(QList<int>, keys);
        Game g;
        g.m.Start();
        for (int key : keys)
            g.m.Form_KeyDown(key, 0);
        QTEST(QString("%1/%2/%3").arg(Q(g.m.LBInput), Q(g.m.LBNum)).arg(g.m.NumLog[0]), "state");
    }

    void endAnsweredNoKeepsRouletteRunning() {
        Game g(RandRun(0, 99));
        g.m.Start();
        TickAndCall(g);
        g.platform.answers = {vbNo};
        QString during;
        g.platform.onAsk = [&] {
            g.m.Timer1_Timer(); // the roulette goes on under the question
            during = Q(g.m.LBLineMess + " " + g.m.LBInput);
        };
        g.m.End();
        QCOMPARE(Q(AskedText(g.platform.asked.back())), "実行を終了します。よろしいですか? | 終了 | 52");
        QVERIFY2(during.startsWith("一時停止 ") && during.size() > 5, qPrintable(during));
        QCOMPARE(Q(g.m.LBLineMess), "実行中 / 乱数形式");
        g.m.LBInput.clear();
        g.m.Timer1_Timer();
        QVERIFY(g.m.Timer1Enabled && !g.m.LBInput.empty());
    }

    void endRunRestoresEditLook() {
        Game g;
        SetSheet(g.m, 0, "1 2 3 4 5\n@ 6 7 8 .");
        g.m.BBox_MouseDown(37, kLeftButton);
        g.m.Start();
        for (int n : {1, 2, 3, 4, 5, 6, 7})
            g.Call(n);
        QVERIFY(!g.m.StatusText.empty() && !g.m.BMess[0].Caption.empty() && !g.m.LBLog[6].empty());
        g.m.End();
        QCOMPARE(Q(g.m.LBLineMess), kEditMode);
        const QString normal = QStringList(5, QStringList(5, "Wk").join(' ')).join('\n');
        for (int s = 0; s < kSheets; ++s) {
            QCOMPARE(Q(ColourGrid(g.m, s)), s == 1 ? QString(normal).replace(36, 2, "Nw") : normal);
            QCOMPARE(Q(g.m.BMess[s].Caption) + ColourLetter(g.m.BMess[s].BackColor), "F");
        }
        QCOMPARE(Q(g.m.LBLog[0] + g.m.LBLog[6] + g.m.StatusText + g.m.LBInput + g.m.LBNum), "0");
        QVERIFY(g.m.LBInputBackColor == Colour::White && !g.m.RunLabelsVisible);
        QCOMPARE(int(g.m.NumLog[0]), 7); // the history stays until the next Start
    }

    void historyKeepsLastHundredCalls() {
        Game g;
        g.m.Start();
        for (int i = 0; i < 105; ++i)
            g.Call(i % 100);
        QCOMPARE(Q(g.m.LBNum + " " + g.m.LBLog[0] + " " + g.m.LBLog[6]), "105 4 98");
        for (int i = 0; i < 100; ++i)
            QCOMPARE(int(g.m.NumLog[i]), (104 - i) % 100); // NumLog(99) is the 100th-last call
        QCOMPARE(int(g.m.NumLog[100]), 0);
    }

    // Fault mended: a run ended inside the evaluation's yield got its roulette restarted.
    void runEndedInsideEvaluationKeepsTimerOff() {
        Game g(RandRun(0, 99));
        g.m.Start();
        g.m.Timer1_Timer();
        g.platform.onYield = [&] { g.m.End(); };
        g.m.LBInput_Click();
        QCOMPARE(Q(g.m.LBLineMess), kEditMode);
        QVERIFY(!g.m.Timer1Enabled);
    }
};

QTEST_GUILESS_MAIN(TestRunControl)
#include "test_runcontrol.moc"
