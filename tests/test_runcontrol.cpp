#include "fakeplatform.h"

#include <set>

struct Exhaust {
    int lo, hi, calls;          // the run's range, numbers called before it runs out
    int newLo = -1, newHi = -1; // the range changed under the run
    int endAnswer = 0;          // not 0: the range runs out under the End question, answered so
};
Q_DECLARE_METATYPE(Exhaust)

class TestRunControl : public QObject {
    Q_OBJECT
private slots:
    // Answered No, Start changes nothing; answered Yes, it starts the run (RandRun with the roulette).
    void startQuestion() {
        for (const int mode : {0, 1}) {
            Game g(Setting(mode, 0, 99));
            g.m.StatusText = "x";
            g.platform.answers = {vbNo, vbYes};
            const QString before = Snapshot(g.m), modeText = mode ? "乱数形式" : "実戦形式";
            g.m.Start();
            QCOMPARE(Snapshot(g.m), before);
            g.m.Start();
            QCOMPARE(g.platform.asked, QStringList(2, "ビンゴを" + modeText + "で開始します。よろしいですか? | 開始 | 52"));
            QCOMPARE(Q(g.m.LBLineMess), "実行中 / " + modeText);
            QVERIFY(g.m.Timer1Enabled == (mode == 1) && g.m.RunLabelsVisible);
            QCOMPARE(QString("%1 %2 ").arg(g.m.NumLog[0]).arg(g.m.NumLog[99]) + Q(g.m.LBNum), "999 999 0");
            // No cell shows as selected; LBInput white on navy.
            QCOMPARE(ColourGrid(g.m, 0).left(2) + ColourLetter(g.m.LBInputForeColor) +
                         ColourLetter(g.m.LBInputBackColor) + Q(g.m.StatusText), "WkWN現在、ﾘｰﾁはありません。");
        }
    }

    void rangeExhaustedEndsTheRun_data() {
        QTest::addColumn<Exhaust>("c");
        QTest::newRow("range 10..34 ends itself after 25 calls") << Exhaust{10, 34, 25};
        QTest::newRow("range 0..99 takes the 100th call before the notice") << Exhaust{0, 99, 100};
        // Faults mended: the draw loop never ended when the range changed under the run to numbers all called;
        // running out under the End question let a late No put the run caption back (or a late Yes end it twice).
        QTest::newRow("range changed to numbers all called") << Exhaust{0, 99, 30, 5, 29};
        QTest::newRow("range ran out under the End question, No") << Exhaust{10, 34, 25, -1, -1, vbNo};
        QTest::newRow("range ran out under the End question, Yes") << Exhaust{10, 34, 25, -1, -1, vbYes};
    }
    void rangeExhaustedEndsTheRun() {
        QFETCH(Exhaust, c);
        Game g(Setting(1, c.lo, c.hi));
        g.m.Start();
        std::set<int> called;
        while (called.size() < std::size_t(c.calls)) {
            if (c.newLo >= 0) // call lo, lo + 1, ... in order; two ticks each
                g.platform.scripted = QList<float>(2, (float(called.size()) + 0.5f) / float(c.hi - c.lo + 1));
            g.m.Timer1_Timer(); // two ticks, each showing a number not called yet, then a click
            g.m.Timer1_Timer();
            const int n = Q(g.m.LBInput).toInt();
            g.m.LBInput_Click();
            QVERIFY(n >= c.lo && n <= c.hi && called.insert(n).second);
            QVERIFY(g.platform.asked.size() == 1 && g.m.Timer1Enabled); // only Start asked
        }
        if (c.newLo >= 0) g.m.SysSetting = Setting(1, c.newLo, c.newHi);
        g.platform.rndLimit = g.platform.rnds + 10000;
        QString during = "一時停止";
        g.platform.answers = {vbOK, c.endAnswer}; // a notice under the End question is answered first
        g.platform.onAsk = [&] { // under the notice, or else the End question
            during = Q(g.m.LBLineMess) + (g.m.Timer1Enabled && !c.endAnswer ? " timer on" : "");
            if (!c.endAnswer) return;
            g.m.Timer1_Timer(); // the range runs out
            g.m.CurBox = 60;    // probe: a second EndRun would show cell 60 selected
        };
        c.endAnswer ? g.m.End() : g.m.Timer1_Timer();
        const int size = c.newLo >= 0 ? c.newHi - c.newLo + 1 : c.hi - c.lo + 1;
        QCOMPARE(g.platform.asked.mid(1), (c.endAnswer ? QStringList{"実行を終了します。よろしいですか? | 終了 | 52"} : QStringList())
                                              << QString("回数が%1回に到達したので終了します。 | 終了 | 54").arg(size));
        QCOMPARE(during, "一時停止");
        QCOMPARE(Q(g.m.LBLineMess), "編集モード");
        QVERIFY(!g.m.Timer1Enabled && !g.m.MenuEnabled("mn_End") && g.m.BBox[60].BackColor == Colour::White);
        g.m.Timer1_Timer();
        QVERIFY(g.m.LBInput.empty() && g.platform.asked.size() == (c.endAnswer ? 3 : 2));
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

    // The run ends inside the last call's closing yield. Fault mended: the roulette of a run
    // ended there got restarted.
    void endRunRestoresEditLook() {
        Game g(Setting(1, 0, 99));
        SetSheet(g.m, 0, "1 2 3 4 5\n@ 6 7 8 .");
        g.m.BBox_MouseDown(37, kLeftButton);
        g.m.Start();
        for (int n : {1, 2, 3, 4, 5, 6})
            g.Call(n);
        QVERIFY(!g.m.StatusText.empty() && !g.m.BMess[0].Caption.empty() && !g.m.LBLog[5].empty());
        g.platform.onYield = [&] { g.m.End(); };
        g.Call(7);
        QCOMPARE(Q(g.m.LBLineMess), "編集モード");
        const QString normal = QStringList(5, QStringList(5, "Wk").join(' ')).join('\n');
        for (int s = 0; s < kSheets; ++s) {
            QCOMPARE(ColourGrid(g.m, s), s == 1 ? QString(normal).replace(36, 2, "Nw") : normal);
            QCOMPARE(Q(g.m.BMess[s].Caption) + ColourLetter(g.m.BMess[s].BackColor), "F");
        }
        QCOMPARE(Q(g.m.LBLog[0] + g.m.LBLog[6] + g.m.StatusText + g.m.LBInput + g.m.LBNum), "0");
        QVERIFY(g.m.LBInputBackColor == Colour::White && !g.m.RunLabelsVisible && !g.m.Timer1Enabled);
        QCOMPARE(int(g.m.NumLog[0]), 7); // the history stays until the next Start
    }
};

QTEST_GUILESS_MAIN(TestRunControl)
#include "test_runcontrol.moc"
