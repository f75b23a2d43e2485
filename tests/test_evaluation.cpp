#include "fakeplatform.h"

#include <QtTest>

#include <algorithm>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
const QString kNoReach = "現在、ﾘｰﾁはありません。";
QString Reach(const QString& list) { return "ﾘｰﾁ番号は、" + list + "です。"; }

struct Eval {
    QStringList sheets; // sheet 0, 1, ... in SetSheet notation, "_" for a blank inside a cell
    QList<int> calls;   // after Start
    QString message;    // sheet 0's status caption, "/", its back colour letter
    QString status;
};
} // namespace
Q_DECLARE_METATYPE(Eval)

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void statusAfterCalls_data() {
        QTest::addColumn<Eval>("e");
        const QList<int> c1to4{1, 2, 3, 4};
        QTest::newRow("free holes at Start make a reach without Hit!")
            << Eval{{"@ @ @ @ 9"}, {}, "Reach1/B", Reach("9")};
        QTest::newRow("free centre counts in all four of its lines")
            << Eval{{"@ . @ . @\n. @ @ @ .\n@ @ @ @ 14\n. @ @ @ .\n20 . 22 . 24"}, {}, "Reach4/B",
                    Reach("14、20、22、24")};
        QTest::newRow("empty missing cell lists 0 even outside the range")
            << Eval{{"@ @ @ @ ."}, {}, "Reach1/B", Reach("0")};
        QTest::newRow("hits without a reach") << Eval{{"1 2 3"}, {1, 2, 3}, "Hit!/K", kNoReach};
        QTest::newRow("Hit! goes at the next call without a hit") << Eval{{"1 50"}, {1, 5}, "/F", kNoReach};
        QTest::newRow("+5, 05, '5 ' and 5. are all hit by 5")
            << Eval{{"+5 05 5_ 5. 9"}, {5}, "Hit! Reach1/B", Reach("9")};
        QTest::newRow("a number called again gives no Hit!") << Eval{{"1"}, {1, 1}, "/F", kNoReach};
        QTest::newRow("hit and reach reported together") << Eval{{"1 2 3 4 9"}, c1to4, "Hit! Reach1/B", Reach("9")};
        QTest::newRow("completed reach counts as a bingo only")
            << Eval{{"1 2 3 4 5"}, {1, 2, 3, 4, 5, 77}, "Bingo1/R", kNoReach};
        QTest::newRow("reach and bingo on one sheet, red back")
            << Eval{{"1 2 3 4 5\n6 7 8 9 10"}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, "Hit! Reach1 Bingo1/R", Reach("10")};
        QTest::newRow("a number four times on a sheet hits every copy")
            << Eval{{"5 5 5 5 9"}, {5}, "Hit! Reach1/B", Reach("9")};
        QTest::newRow("numbers missing on several sheets listed once, ascending")
            << Eval{{"1 2 3 4 23", "1 2 3 4 5", "1 2 3 4 23"}, c1to4, "Hit! Reach1/B", Reach("5、23")};
        QTest::newRow("fraction 5.5 is never hit and lists 6")
            << Eval{{"1 2 3 4 5.5"}, {1, 2, 3, 4, 5, 6}, "Reach1/B", Reach("6")};
        QTest::newRow("fraction 4.5 lists 4, halves to even")
            << Eval{{"1 2 3 4 4.5"}, c1to4, "Hit! Reach1/B", Reach("4")};
        // Out-of-range missing cells: no list entry and no access outside the reach table.
        for (const QString& text : QStringList{"150", "-3", "100", "99.5", QString(20, '9'), QString(400, '9')})
            QTest::newRow(qPrintable("missing " + (text.size() > 5 ? QString("%1 nines").arg(text.size()) : text) +
                                     " is not listed"))
                << Eval{{"1 2 3 4 " + text}, c1to4, "Hit! Reach1/B", kNoReach};
    }
    void statusAfterCalls() {
        QFETCH(Eval, e);
        Game g;
        for (int s = 0; s < e.sheets.size(); ++s)
            SetSheet(g.m, s, e.sheets[s].toStdString());
        for (Cell& cell : g.m.BBox)
            std::replace(cell.Caption.begin(), cell.Caption.end(), '_', ' ');
        g.m.Start();
        for (int n : e.calls)
            g.Call(n);
        QCOMPARE(Q(g.m.BMess[0].Caption) + '/' + ColourLetter(g.m.BMess[0].BackColor), e.message);
        QCOMPARE(Q(g.m.StatusText), e.status);
    }

    void marksAccumulateAndRedWinsOverBlue() {
        Game g;
        SetSheet(g.m, 0, "1 2 3 4 5\n6 . . . .\n7 . 30 @ .\n8 . . . .\n20 . . . .");
        g.m.Start();
        QCOMPARE(Q(ColourGrid(g.m, 0)), "Wk Wk Wk Wk Wk\nWk Wk Wk Wk Wk\nWk Wk Wk Kw Wk\n"
                                        "Wk Wk Wk Wk Wk\nWk Wk Wk Wk Wk");
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 30})
            g.Call(n);
        // Row 0 is a bingo, column 0 a reach missing 20; cell 0 lies in both.
        QCOMPARE(Q(ColourGrid(g.m, 0)), "Rw Rw Rw Rw Rw\nBw Wk Wk Wk Wk\nBw Wk Kw Kw Wk\n"
                                        "Bw Wk Wk Wk Wk\nWb Wk Wk Wk Wk");
        g.Call(20);
        QCOMPARE(Q(ColourGrid(g.m, 0)), "Rw Rw Rw Rw Rw\nRw Wk Wk Wk Wk\nRw Wk Kw Kw Wk\n"
                                        "Rw Wk Wk Wk Wk\nRw Wk Wk Wk Wk");
        QCOMPARE(Q(g.m.BMess[0].Caption + "/" + g.m.BMess[1].Caption + ColourLetter(g.m.BMess[1].BackColor)),
                 "Hit! Bingo2/F");
    }

    void zeroOnEmptySheetsBingosEveryLine() {
        Game g;
        g.m.Start();
        g.Call(0);
        for (int s = 0; s < kSheets; ++s) {
            QCOMPARE(Q(g.m.BMess[s].Caption + ColourLetter(g.m.BMess[s].BackColor)), "Hit! Bingo12R");
            QCOMPARE(Q(ColourGrid(g.m, s)), QStringList(5, QStringList(5, "Rw").join(' ')).join('\n'));
        }
    }

    // A number typed ahead in RealRun is called inside the evaluation's closing yield; the
    // outer evaluation must not write anything after it.
    void callInsideTheClosingYieldSeesFinishedEvaluation() {
        Game g;
        SetSheet(g.m, 0, "@ @ @ 1 2");
        g.m.Start();
        g.platform.onYield = [&] { g.Call(2); };
        g.Call(1);
        QCOMPARE(Q(g.m.LBNum + " " + g.m.LBLog[0] + " " + g.m.LBLog[1]), "2 2 1");
        QCOMPARE(Q(g.m.BMess[0].Caption + " / " + g.m.StatusText), "Hit! Bingo1 / " + kNoReach);
        QCOMPARE(Q(ColourGrid(g.m, 0)).left(14), "Rw Rw Rw Rw Rw");
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "test_evaluation.moc"
