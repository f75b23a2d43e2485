#include "extrasettings.h"
#include "fixture.h"
#include "frmboard.h"
#include "frmmain.h"

namespace {
struct Board : Game {
    std::unique_ptr<frmMain> w;
    explicit Board(SettingRecord s = {0, 1, 75}) : Game(s) { Open(); }
    void Open() {
        w = std::make_unique<frmMain>(m, platform, std::make_unique<FakeDialogs>());
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    frmBoard* board() const { return w->board(); }
    void type(const QString& keys, QWidget* to = nullptr) {
        for (QChar k : keys)
            QTest::keyClick(to ? to : w.get(), k == 'E' ? Qt::Key_Return : Qt::Key(k.unicode()));
    }
    // The numbers with an accessible name beyond the number itself, in order.
    QString marked() const {
        QStringList out;
        for (auto* cell : board()->findChildren<NumberCell*>())
            if (cell->isVisible() && cell->accessibleName().contains("、")) out << cell->accessibleName();
        return out.join(' ');
    }
    QString table(int row) const {
        auto* t = board()->findChild<QTableWidget*>("tblCards");
        QStringList cells;
        for (int c = 0; c < t->columnCount(); ++c)
            cells << t->item(row, c)->text();
        return cells.join('|');
    }
    QString calls() const {
        auto* list = board()->findChild<QListWidget*>("lstCalls");
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return board()->findChild<QLabel*>("lblCallCount")->text() + " " + lines.join(',');
    }
};
} // namespace

class TestBoard : public QObject {
    Q_OBJECT
private slots:
    // A typed game on 1〜75 with the board opened by F7: the numbers' marks, a card's row, the calls, the note on
    // the odds; a number outside the range after the grid; take-back; End leaves the calls and the names only.
    void followsTheGame() {
        Board b;
        SetSheet(b.m, 0, "1 2 3 4 5");
        SetSheet(b.m, 1, "10 11 12 13 14");
        SetSheet(b.m, 2, "1 2 3 4 6");
        b.m.view.BSheet[1] = "二枚目";
        QTest::keyClick(b.w.get(), Qt::Key_F7);
        QVERIFY(b.board()->isVisible() && b.w->action("mnBoard")->isChecked());
        QTest::keyClick(b.w.get(), Qt::Key_F5);
        b.type("1E2E3E4E");
        QCOMPARE(b.marked(), "1、呼び出し済み 2、呼び出し済み 3、呼び出し済み 4、呼び出し済み、最新 5、待ち 6、待ち");
        QCOMPARE(b.table(0), "Sheet 1|Hit! Reach1|5|1|1.4%|7.0%");
        QCOMPARE(b.table(1), "二枚目|||5|0.0%|<0.1%");
        QCOMPARE(b.calls(), "呼び出した番号: 4 回 4: 4,3: 3,2: 2,1: 1");
        QCOMPARE(b.board()->findChild<QLabel*>("lblOddsNote")->text(), "範囲 1〜75 から引くとして計算");
        b.board()->findChild<QCheckBox*>("chkSort")->setChecked(true);
        QVERIFY(b.table(0).startsWith("Sheet 1|") && b.table(1).startsWith("Sheet 3|"));
        b.type("80E");
        QVERIFY(b.marked().endsWith("6、待ち 80、呼び出し済み、最新"));
        QTest::keyClick(b.w.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(b.calls(), "呼び出した番号: 4 回 4: 4,3: 3,2: 2,1: 1");
        b.type("5E");
        QCOMPARE(b.table(0), "Sheet 1|Hit! Bingo1||0|-|-");
        b.m.EndRun();
        QCOMPARE(b.table(0) + " " + b.table(1), "Sheet 1||||| 二枚目|||||");
        QVERIFY(b.marked().startsWith("1、呼び出し済み") && b.calls().startsWith("呼び出した番号: 5 回 5: 5,"));
    }

    // Keys that reach the board go to the call, the main window's shortcuts work from it, and F7 closes it.
    void keysGoToTheCall() {
        Board b;
        QTest::keyClick(b.w.get(), Qt::Key_F7);
        QTest::keyClick(b.board(), Qt::Key_F5);
        QVERIFY(!b.m.IsEditMode());
        b.type("47E", b.board());
        QCOMPARE(Q(b.m.view.LBLog[0]), "47");
        QTest::keyClick(b.board(), Qt::Key_F7);
        QVERIFY(!b.board()->isVisible() && !b.w->action("mnBoard")->isChecked());
    }

    // A real click on the board in a real X server, then real keys: the keyboard stayed with the call.
    void clickOnTheBoardKeepsTheKeyboard() {
        if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server (the test_board_x11 entry)");
        Board b;
        QTest::keyClick(b.w.get(), Qt::Key_F7);
        QTest::keyClick(b.w.get(), Qt::Key_F5);
        QVERIFY(QTest::qWaitForWindowExposed(b.board()));
        const QPoint at = b.board()->mapToGlobal(b.board()->rect().center());
        const auto xdotool = [](const QStringList& args) { QCOMPARE(QProcess::execute("xdotool", args), 0); };
        xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        QTest::qWait(200);
        xdotool({"type", "--delay", "20", "47"});
        xdotool({"key", "Return"});
        QTRY_COMPARE(Q(b.m.view.LBLog[0]), "47");
        QVERIFY(QApplication::activeWindow() == b.w.get());
    }

    // The board's place, size and open state come back at the next start; the file's lines as written.
    void remembered() {
        Board b;
        QTest::keyClick(b.w.get(), Qt::Key_F7);
        b.board()->setGeometry(30, 40, 400, 600);
        b.w->close();
        QCOMPARE(b.Read(kExtraSettingsFileName), "sound=on\nboard=on\nboard.geometry=30,40,400,600\n");
        b.Open();
        QTRY_VERIFY(b.board() && b.board()->isVisible());
        QCOMPARE(b.board()->geometry(), QRect(30, 40, 400, 600));
        b.board()->close();
        QVERIFY(b.Read(kExtraSettingsFileName).contains("board=off\n"));
    }

    // The extra settings file: unknown and bad lines are ignored, a missing key keeps its default.
    void extraSettings_data() {
        Columns<QString, QString>("text", "read");
        Row("empty: defaults", "", "sound=on\nboard=off\n");
        Row("with CR LF", "sound=off\r\nboard=on\r\nboard.geometry=1,-2,300,400\r\n",
            "sound=off\nboard=on\nboard.geometry=1,-2,300,400\n");
        Row("unknown keys, bad values and sizes ignored",
            "x=1\nsound=maybe\nsound\n=off\nsound=off \nboard.geometry=1,2,3\nboard.geometry=1,2,30,400\n"
            "board.geometry=1,2,300,400,5\nboard.geometry=a,2,300,400\n",
            "sound=on\nboard=off\n");
    }
    void extraSettings() {
        QFETCH(QString, text);
        QTEST(Q(EncodeExtraSettings(ParseExtraSettings(text.toStdString()))), "read");
    }
};

QTEST_MAIN(TestBoard)
#include "test_board.moc"
