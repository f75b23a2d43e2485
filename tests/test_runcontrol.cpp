// Starting and ending a run, the arrow keys and the random sheet fill.
#include "fixture.h"

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
    // Start answered No changes nothing; Yes starts the roulette. The range then runs out by itself.
    void rangeExhaustedEndsTheRun_data() {
        QTest::addColumn<Exhaust>("c");
        // Faults mended: the draw loop never ended when the range changed under the run to numbers all called;
        // running out under the End question let a late No put the run caption back (or a late Yes end it twice).
        QTest::newRow("range changed to numbers all called") << Exhaust{0, 99, 30, 5, 29};
        QTest::newRow("range ran out under the End question, No") << Exhaust{10, 34, 25, -1, -1, vbNo};
        QTest::newRow("range ran out under the End question, Yes") << Exhaust{10, 34, 25, -1, -1, vbYes};
    }
    void rangeExhaustedEndsTheRun() {
        QFETCH(Exhaust, c);
        Game g(Setting(1, c.lo, c.hi));
        g.platform.answers = {vbNo};
        const QString before = Snapshot(g.m);
        g.m.Start();
        QCOMPARE(Snapshot(g.m), before);
        g.m.Start();
        QCOMPARE(g.platform.asked, QStringList(2, "ビンゴを乱数形式で開始します。よろしいですか? | 開始 | 52"));
        QVERIFY(Q(g.m.view.LBLineMess) == "実行中 / 乱数形式" && g.m.view.RunLabelsVisible);
        std::set<int> called;
        while (called.size() < std::size_t(c.calls)) {
            if (c.newLo >= 0) // call lo, lo + 1, ... in order; two ticks each
                g.platform.scripted = QList<float>(2, (float(called.size()) + 0.5f) / float(c.hi - c.lo + 1));
            g.m.Timer1_Timer(); // two ticks, each showing a number not called yet, then a click
            g.m.Timer1_Timer();
            const int n = Q(g.m.view.LBInput).toInt();
            g.platform.onYield = [&] { g.m.Timer1_Timer(); }; // a tick inside the call's evaluation draws nothing
            g.m.LBInput_Click();
            QVERIFY(n >= c.lo && n <= c.hi && called.insert(n).second && g.m.view.LBInput.empty());
            QVERIFY(g.platform.asked.size() == 2 && g.m.view.Timer1Enabled); // only Start asked
        }
        if (c.newLo >= 0) g.m.run.SysSetting = Setting(1, c.newLo, c.newHi);
        g.platform.rndLimit = g.platform.rnds + 10000;
        QString during = "一時停止";
        g.platform.answers = {vbOK, c.endAnswer}; // a notice under the End question is answered first
        g.platform.onAsk = [&] {                  // under the notice, or else the End question
            during = Q(g.m.view.LBLineMess) + (g.m.view.Timer1Enabled && !c.endAnswer ? " timer on" : "");
            if (!c.endAnswer) return;
            g.m.Timer1_Timer();   // the range runs out
            g.m.view.CurBox = 60; // probe: a second EndRun would show cell 60 selected
        };
        c.endAnswer ? g.m.End() : g.m.Timer1_Timer();
        const int size = c.newLo >= 0 ? c.newHi - c.newLo + 1 : c.hi - c.lo + 1;
        QStringList asked{QString("回数が%1回に到達したので終了します。 | 終了 | 54").arg(size)};
        if (c.endAnswer) asked.prepend("実行を終了します。よろしいですか? | 終了 | 52");
        QCOMPARE(g.platform.asked.mid(2), asked);
        QCOMPARE(during + " then " + Q(g.m.view.LBLineMess), "一時停止 then 編集モード");
        QVERIFY(!g.m.view.Timer1Enabled && !g.m.CommandEnabled("mn_End") &&
                g.m.view.BBox[60].BackColor == Colour::White);
        g.m.Timer1_Timer();
        QVERIFY(g.m.view.LBInput.empty() && g.platform.asked.size() == (c.endAnswer ? 4 : 3));
    }

    // Arrows move within a sheet and across its edges into the facing edge of the neighbouring sheet; at the outer
    // edge nothing moves. From every cell, against the sheets laid out as one grid of 20 x 10 cells. Found by
    // mutation: moves off a sheet's first column or row could go wrong unnoticed.
    void arrowKeys() {
        Game g;
        const int keys[] = {vk::Left, vk::Up, vk::Right, vk::Down}, dx[] = {-1, 0, 1, 0}, dy[] = {0, -1, 0, 1};
        for (int box = 0; box < kBoxes; ++box)
            for (int k = 0; k < 4; ++k) {
                const int x = box / 25 % 4 * 5 + box % 5 + dx[k], y = box / 100 * 5 + box % 25 / 5 + dy[k];
                const bool inside = x >= 0 && x < 20 && y >= 0 && y < 10;
                g.m.BBox_MouseDown(box, kLeftButton);
                g.m.Form_KeyDown(keys[k], 0);
                QVERIFY2(g.m.view.CurBox == (inside ? (y / 5 * 4 + x / 5) * 25 + y % 5 * 5 + x % 5 : box),
                         qPrintable(QString("key %1 from %2 to %3").arg(keys[k]).arg(box).arg(g.m.view.CurBox)));
            }
    }

    // The run ends inside the last call's closing yield. Fault mended: a run ended there restarted its roulette.
    void endRunRestoresEditLook() {
        Game g(Setting(1, 0, 99));
        SetSheet(g.m, 0, "1 2 3 4 5\n@ 6 7 8 .");
        g.m.BBox_MouseDown(37, kLeftButton);
        g.m.Start();
        for (int n : {1, 2, 3, 4, 5, 6})
            g.Call(n);
        g.platform.onYield = [&] { g.m.End(); };
        g.Call(7);
        const QString normal = QStringList(5, QStringList(5, "Wk").join(' ')).join('\n');
        for (int s = 0; s < kSheets; ++s) {
            QCOMPARE(Grid(g.m, s, true), s == 1 ? QString(normal).replace(36, 2, "Nw") : normal);
            QCOMPARE(Q(g.m.view.BMess[s].Caption) + ColourLetter(g.m.view.BMess[s].BackColor), "F");
        }
        QCOMPARE(Q(g.m.view.LBLineMess + "|" + g.m.view.LBLog[0] + g.m.view.LBLog[6] + g.m.view.StatusText +
                   g.m.view.LBInput + g.m.view.LBNum + "|" + std::to_string(g.m.run.NumLog[0])),
                 "編集モード|0|7"); // the history stays until the next Start
        QVERIFY(g.m.view.LBInputBackColor == Colour::White && !g.m.view.RunLabelsVisible && !g.m.view.Timer1Enabled);
    }

    // All sheets: No changes nothing, Yes gives each sheet the range's numbers shuffled apart, and "0" past a
    // hand-edited range under 25 numbers. The current sheet alone: its numbers sorted by a key each, highest
    // first. Both reseed first, one key per number.
    void fill() {
        Game g(Setting(0, 50, 60));
        g.m.view.BSheet[2] = "Mine";
        g.platform.answers = {vbNo};
        const QString before = Snapshot(g.m);
        g.m.FillAllSheetsRandom();
        QCOMPARE(Snapshot(g.m), before);
        g.m.FillAllSheetsRandom();
        QVERIFY(g.platform.randomizes == 2 && g.platform.rnds == kSheets * 11);
        const auto cells = [&](int s) { return Grid(g.m, s, false).split(QRegularExpression("\\s")); };
        for (int s = 0; s < kSheets; ++s) {
            QStringList in = cells(s).mid(0, 11);
            in.sort();
            QCOMPARE((in + cells(s).mid(11)).join(' '),
                     "50 51 52 53 54 55 56 57 58 59 60" + QString(" 0").repeated(14));
        }
        QVERIFY(cells(0) != cells(1));
        QCOMPARE(Q(g.m.view.BSheet[2]) + QString::number(g.m.doc.DocChanged), "Mine-1");
        g.m.run.SysSetting = Setting(0, 10, 99);
        g.m.view.CurBox = 77; // on sheet 3
        QStringList highestFirst, others = cells(2) + cells(4);
        for (int n = 10; n <= 99; ++n)
            g.platform.scripted << float(n - 10) / 90.0f, highestFirst.prepend(QString::number(n));
        g.m.FillCurrentSheetRandom();
        QVERIFY(g.platform.randomizes == 3 && g.platform.rnds == kSheets * 11 + 90);
        QVERIFY(cells(3) == highestFirst.mid(0, kCellsPerSheet) && cells(2) + cells(4) == others);
    }
};

QTEST_GUILESS_MAIN(TestRunControl)
#include "test_runcontrol.moc"
