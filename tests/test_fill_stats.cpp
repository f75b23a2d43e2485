#include "fakeplatform.h"
#include "sheetdocument.h"
#include "statistics.h"

#include <QRegularExpression>
#include <QtTest>

#include <set>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
SettingRecord Range(int lo, int hi) { return {0, static_cast<std::int16_t>(lo), static_cast<std::int16_t>(hi)}; }

struct Stats {
    QStringList sheets;
    QString summary; // lowest highest distinct
    QString ranking; // rank/number/occurrences ...
};
} // namespace
Q_DECLARE_METATYPE(Stats)

class TestFillStats : public QObject {
    Q_OBJECT
private slots:
    void fillAllSheets_data() {
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::newRow("default range 0..99") << 0 << 99;
        QTest::newRow("range 0..24 gives a permutation") << 0 << 24;
        QTest::newRow("range 75..99") << 75 << 99;
    }
    void fillAllSheets() {
        QFETCH(int, lo);
        QFETCH(int, hi);
        Game g(Range(lo, hi));
        SetSheet(g.m, 3, ". . . . .\n. . . . .\n. . @ . .");
        g.m.BSheet[3] = "Mine";
        g.m.FillAllSheetsRandom();
        QCOMPARE(g.platform.randomizes, 1);
        QCOMPARE(Q(AskedText(g.platform.asked.at(0))),
                 "全てのｼｰﾄをﾗﾝﾀﾞﾑで設定します。よろしいですか? | ﾗﾝﾀﾞﾑで番号を設定 | 52");
        for (int s = 0; s < kSheets; ++s) {
            std::set<int> seen;
            for (const QString& text : Q(SheetText(g.m, s)).split(QRegularExpression("\\s"))) {
                const int n = text.toInt();
                QVERIFY2(text == QString::number(n) && n >= lo && n <= hi, qPrintable(text)); // plain decimal
                seen.insert(n);
            }
            QCOMPARE(int(seen.size()), kCellsPerSheet);
        }
        QVERIFY(SheetText(g.m, 0) != SheetText(g.m, 1)); // sheets are shuffled independently
        QCOMPARE(Q(g.m.BSheet[3] + " " + g.m.BSheet[0]), "Mine Sheet 1");
        QCOMPARE(int(g.m.DocChanged), -1);
    }

    void equalOrRisingKeys_data() {
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<bool>("rising");
        QTest::newRow("equal keys keep 0, 1, 2, ...") << 0 << 99 << false;
        QTest::newRow("equal keys keep MinNumber 10, 11, ...") << 10 << 60 << false;
        QTest::newRow("rising keys reverse 0..24") << 0 << 24 << true;
        QTest::newRow("rising keys put the highest first") << 10 << 99 << true;
    }
    void equalOrRisingKeys() {
        QFETCH(int, lo);
        QFETCH(int, hi);
        QFETCH(bool, rising);
        Game g(Range(lo, hi));
        for (int n = lo; n <= hi; ++n)
            g.platform.scripted.push_back(rising ? float(n - lo) / float(hi - lo + 1) : 0.5f);
        g.m.FillSheetRandom(2);
        QStringList expected;
        for (int c = 0; c < kCellsPerSheet; ++c)
            expected << QString::number(rising ? hi - c : lo + c);
        QCOMPARE(Q(SheetText(g.m, 2)).split(QRegularExpression("\\s")), expected);
        QVERIFY(g.platform.scripted.empty()); // one key per number of the range
        QCOMPARE(Q(SheetText(g.m, 1) + SheetText(g.m, 3)).count('.'), 2 * kCellsPerSheet); // others untouched
        QCOMPARE(int(g.m.DocChanged), 0);
    }

    void allSheetsAnsweredNoChangesNothing() {
        Game g;
        SetSheet(g.m, 0, "1 2 @");
        g.platform.answers = {vbNo};
        const std::string before = Snapshot(g.m);
        g.m.FillAllSheetsRandom();
        QCOMPARE(g.platform.randomizes, 1); // reseeded before the question
        QCOMPARE(Q(Snapshot(g.m)), Q(before));
    }

    // A hand-edited settings file may give fewer than 25 numbers; every cell must still be
    // a text the document reader takes.
    void shortRangeFillStaysLoadable() {
        Game g(Range(50, 60));
        g.m.FillAllSheetsRandom();
        const QStringList first = Q(SheetText(g.m, 0)).split(QRegularExpression("\\s")).mid(0, 11);
        QCOMPARE(std::set<QString>(first.begin(), first.end()).size(), std::size_t(11));
        QCOMPARE(*std::min_element(first.begin(), first.end()) + *std::max_element(first.begin(), first.end()),
                 "5060");
        const EncodedDocument doc = EncodeDocument(g.m);
        QVERIFY(doc.error.empty() && ParseDocument(doc.bytes).has_value());
    }

    void statistics_data() {
        QTest::addColumn<Stats>("st");
        const QString oneTo25 = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25";
        QTest::newRow("no numbers") << Stats{{"@ . @", "@"}, "100 -1 0", ""};
        QTest::newRow("eight identical sheets rank their ten lowest first")
            << Stats{QStringList(8, oneTo25), "1 25 25",
                     "1/1/8 1/2/8 1/3/8 1/4/8 1/5/8 1/6/8 1/7/8 1/8/8 1/9/8 1/10/8"};
        QTest::newRow("competition ranks 1, 2, 2, 4, 4, 4, 4")
            << Stats{{"5 7 9 1 2", "5 7 9 3 4", "5"}, "1 9 7", "1/5/3 2/7/2 2/9/2 4/1/1 4/2/1 4/3/1 4/4/1"};
        QTest::newRow("eleven ties list the ten lowest")
            << Stats{{"30 29 28 27 26 25 24 23 22 21 20"}, "20 30 11",
                     "1/20/1 1/21/1 1/22/1 1/23/1 1/24/1 1/25/1 1/26/1 1/27/1 1/28/1 1/29/1"};
        QTest::newRow("100 counts but is not ranked") << Stats{{"100 100 3", "0"}, "0 100 3", "1/0/1 1/3/1"};
        QTest::newRow("a number in nine cells is not ranked") << Stats{{"7 7 7 7 7 7 7 7 7 4"}, "4 7 2", "1/4/1"};
        QTest::newRow("loaded 5.5 counts as 6, 4.5 as 4") << Stats{{"5.5 6 4.5", "4"}, "4 6 2", "1/4/2 1/6/2"};
    }
    void statistics() {
        QFETCH(Stats, st);
        Game g;
        for (int s = 0; s < st.sheets.size(); ++s)
            SetSheet(g.m, s, st.sheets[s].toStdString());
        std::vector<std::string> texts;
        for (const Cell& cell : g.m.BBox)
            texts.push_back(cell.Caption);
        const SheetStatistics r = ComputeSheetStatistics(texts);
        QStringList ranking;
        for (const FrequencyEntry& e : r.Ranking)
            ranking << QString("%1/%2/%3").arg(e.Rank).arg(e.Number).arg(e.Occurrences);
        QCOMPARE(ranking.join(' '), st.ranking);
        QCOMPARE(QString("%1 %2 %3").arg(r.Lowest).arg(r.Highest).arg(r.DistinctCount), st.summary);
    }
};

QTEST_GUILESS_MAIN(TestFillStats)
#include "test_fill_stats.moc"
