#include "fixture.h"

namespace {
// Sheets in SetSheet's notation, "|" between them; a sheet may begin "name:". Cells not given stay empty.
void Fill(Game& g, const QString& text) {
    const QStringList sheets = text.split('|');
    for (int s = 0; s < sheets.size(); ++s) {
        QString rows = sheets[s];
        if (rows.contains(':')) {
            g.m.view.BSheet[s] = rows.section(':', 0, 0).toStdString();
            rows = rows.section(':', 1);
        }
        SetSheet(g.m, s, rows.toStdString());
    }
}
// A full sheet of 1〜75 as printed: columns B I N G O, the centre free.
const char* kCard = "1 16 31 46 61 2 17 32 47 62 3 18 @ 48 63 4 19 33 49 64 5 20 34 50 65";
} // namespace

class TestCardCheck : public QObject {
    Q_OBJECT
private slots:
    // Sheets (the others full of distinct numbers), range 1〜75 → the findings and the boxes they select.
    void findings_data() {
        Columns<QString, bool, QString>("sheets", "bands", "expected");
        const QString card = kCard;
        Row("a printed card: nothing", card, true, "");
        Row("a number twice: selects its last place; its band", QString(kCard).replace(" 32 ", " 17 "), true,
            "Sheet 1: 17 が 2行2列 と 2行3列 にあります @7 / Sheet 1 2行3列: 17 は N列(31〜45)の外です @7");
        Row("three places, written differently",
            "07 7 8 9 10 07 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29", false,
            "Sheet 1: 07 が 1行1列 と 1行2列 と 2行1列 にあります @5");
        Row("empty cells; a value no call hits; outside the range",
            "1 . 3 4 5 6 7 8 9 10 11 12 @ 14 15 16 17 18 19 20 21 22 5.5 80 0", false,
            "Sheet 1 1行2列: 空欄です @1 / Sheet 1 5行3列: 5.5 は呼ばれることのない値です @22 / "
            "Sheet 1 5行4列: 80 は範囲(1〜75)の外です @23 / Sheet 1 5行5列: 0 は範囲(1〜75)の外です @24");
        Row("an empty sheet is one line, never the same as another", "@|.", false,
            "Sheet 1: 空のｼｰﾄです @0 / Sheet 2: 空のｼｰﾄです @25");
        Row("the same card: the later names the first earlier one", card + "|A:" + card + "|B:" + card, false,
            "A は Sheet 1 と同じ内容です @25 / B は Sheet 1 と同じ内容です @50");
        Row("bands off or impossible: no band lines", QString(kCard).replace("61", "1"), false,
            "Sheet 1: 1 が 1行1列 と 1行5列 にあります @4");
    }
    void findings() {
        QFETCH(QString, sheets);
        QFETCH(bool, bands);
        Game g({0, 1, 75});
        // Sheets not given are cards of their own, so only the given ones can have findings.
        for (int b = 0; b < kBoxes; ++b)
            g.m.view.BBox[b].Caption = std::to_string(1 + 15 * (b % 5) + (b % 25 / 5 + b / 25) % 15);
        for (int s = 0; s < sheets.count('|') + 1; ++s)
            for (int c = 0; c < kCellsPerSheet; ++c)
                g.m.view.BBox[s * kCellsPerSheet + c].Caption.clear();
        Fill(g, sheets);
        QStringList lines;
        for (const Finding& f : CheckSheets(g.m.CaptureDocument(), g.m.run.SysSetting, bands))
            lines << Q(f.text) + QString(" @%1").arg(f.box);
        QTEST(lines.join(" / "), "expected");
    }

    // Text typed or pasted, read column by column (V) or row by row (H) → the card's rows, or the message.
    void cardEntry_data() {
        Columns<QString, bool, QString>("text", "columns", "expected");
        QString numbers;
        for (int n = 1; n <= 25; ++n)
            numbers += QString::number(n) + (n % 5 ? " " : "\n");
        Row("25 by rows", numbers, false, "1 2 3 4 5/6 7 8 9 10/11 12 13 14 15/16 17 18 19 20/21 22 23 24 25");
        Row("25 by columns", numbers, true, "1 6 11 16 21/2 7 12 17 22/3 8 13 18 23/4 9 14 19 24/5 10 15 20 25");
        Row("24 go around a free centre", "1,2,3,4,5、6，7\t8　9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24", false,
            "1 2 3 4 5/6 7 8 9 10/11 12 @ 13 14/15 16 17 18 19/20 21 22 23 24");
        Row("full-width digits, leading zeros, @",
            "０１ ０２ 03 4 5 6 7 8 9 10 11 12 ＠ 14 15 16 17 18 19 20 21 22 23 24 25", false,
            "1 2 3 4 5/6 7 8 9 10/11 12 @ 14 15/16 17 18 19 20/21 22 23 24 25");
        Row("a number twice warns, and fills", "1 1 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24", false,
            "1 1 3 4 5/6 7 8 9 10/11 12 @ 13 14/15 16 17 18 19/20 21 22 23 24 (1 が2回あります)");
        Row("too few", "1 2 3", true, "あと 21 個");
        Row("too many", "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27", false,
            "2 個多すぎます");
        Row("a bad entry", "1 2 100 4", false, "100 は 0〜99 の数ではありません");
        Row("not a number", "1 2 x3", false, "x3 は 0〜99 の数ではありません");
    }
    void cardEntry() {
        QFETCH(QString, text);
        QFETCH(bool, columns);
        const CardEntry entry = ParseCardEntry(text.toStdString(), columns);
        QStringList rows;
        for (int r = 0; entry.cells && r < kCellsPerSide; ++r) {
            QStringList cells;
            for (int c = 0; c < kCellsPerSide; ++c)
                cells << Q((*entry.cells)[r * kCellsPerSide + c]);
            rows << cells.join(' ');
        }
        const QString message = Q(entry.message);
        QTEST(rows.isEmpty() ? message : rows.join('/') + (message.isEmpty() ? "" : " (" + message + ")"), "expected");
    }

    // A cell corrected after k calls of a random game leaves the state the same k calls leave on sheets that held
    // the new text from the start, in both modes; outside a run nothing changes.
    void correctionEqualsTheTextFromTheStart() {
        QRandomGenerator rng(11);
        for (int game = 0; game < 60; ++game) {
            const int mode = game % 2;
            Game a({std::int16_t(mode), 0, 49}), b({std::int16_t(mode), 0, 49});
            const quint32 seed = rng.generate();
            for (Game* g : {&a, &b}) {
                g->m.NameDocument("/", "t");
                QRandomGenerator cells(seed);
                for (auto& cell : g->m.view.BBox)
                    cell.Caption = cells.bounded(9) ? std::to_string(cells.bounded(50)) : "@";
            }
            const int box = int(rng.bounded(kBoxes));
            const char* texts[] = {"", "@", "7", "49", "0"};
            const std::string text = texts[rng.bounded(5)];
            b.m.view.BBox[box].Caption = text;
            a.m.Start();
            b.m.Start();
            const int k = int(rng.bounded(30));
            for (int i = 0; i < k; ++i) {
                const int n = int(rng.bounded(50));
                a.Call(n);
                b.Call(n);
            }
            QVERIFY(a.m.CorrectCell(box, text));
            b.m.MarkChanged();
            QCOMPARE(Snapshot(a.m), Snapshot(b.m));
        }
        Game g;
        QVERIFY(!g.m.CorrectCell(0, "5") && g.m.view.BBox[0].Caption.empty());
    }
};

QTEST_MAIN(TestCardCheck)
#include "test_cardcheck.moc"
