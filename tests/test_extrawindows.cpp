#include "celllabel.h"
#include "extrasettings.h"
#include "fixture.h"
#include "frmboard.h"
#include "frmcardentry.h"
#include "frmcheck.h"
#include "frmmain.h"

namespace {
struct Board : Game {
    // Runs steps once the next modal dialog of the given name is up (a dialog's exec does not return before).
    void whenOpen(const char* name, std::function<void(QWidget*)> steps) {
        QTimer::singleShot(0, [=] {
            QWidget* d = nullptr;
            QTRY_VERIFY((d = QApplication::activeModalWidget()) && d->objectName() == name);
            d->activateWindow(); // its mnemonics answer only while it is active
            QTRY_VERIFY(QApplication::activeWindow() == d);
            steps(d);
            if (d->isVisible()) d->close(); // a failed step must not leave the test waiting on the dialog
        });
    }
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

class TestExtraWindows : public QObject {
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
        if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server (the test_extrawindows_x11 entry)");
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

    // The check by real keys: F8 opens it over a repeated number; Down and Enter select the finding's cell (the
    // repeat's last place) and give the main window the keyboard, where the fix is typed and the list follows.
    // During a run the list stays and Enter does nothing; a narrower range checks again; Escape closes.
    void checkWindow() {
        Board b;
        SetSheet(b.m, 1, "1 2 3 4 5 6 7 8 9 10 11 12 @ 14 15 16 17 18 19 20 21 22 5 24 25");
        b.m.Refresh();
        QTest::keyClick(b.w.get(), Qt::Key_F8);
        auto* check = b.w->findChild<frmCheck*>("frmCheck");
        auto* list = check->findChild<QListWidget*>("lstFindings");
        QVERIFY(QTest::qWaitForWindowActive(check));
        const auto lines = [&] {
            QStringList out;
            for (int i = 0; i < list->count(); ++i)
                out << list->item(i)->text();
            return out.join(" / ");
        };
        QCOMPARE(lines(), "Sheet 1: 空のｼｰﾄです / Sheet 2: 5 が 1行5列 と 5行3列 にあります / Sheet 3: 空のｼｰﾄです / "
                          "Sheet 4: 空のｼｰﾄです / Sheet 5: 空のｼｰﾄです / Sheet 6: 空のｼｰﾄです / Sheet 7: 空のｼｰﾄです / "
                          "Sheet 8: 空のｼｰﾄです");
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(check->isVisible() && b.m.view.CurBox == 47 && QApplication::activeWindow() == b.w.get());
        b.type("23");
        QVERIFY(!lines().contains("Sheet 2") && lines().startsWith("Sheet 1: 空のｼｰﾄです / Sheet 3:"));
        QTest::keyClick(b.w.get(), Qt::Key_F5);
        b.type("1E");
        const QString during = lines();
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(lines() == during && b.m.view.CurBox == 47);
        b.m.EndRun();
        SetSheet(b.m, 0, "1 2 3 4 5 6 7 8 9 10 11 12 @ 14 15 16 17 18 19 20 21 22 23 24 99");
        b.m.ApplySettings({0, 1, 50});
        QVERIFY(lines().startsWith("Sheet 1 5行5列: 99 は範囲(1〜50)の外です / Sheet 3:"));
        QVERIFY(check->findChild<QCheckBox*>("chkBands")->isEnabled());
        b.m.ApplySettings({0, 1, 51});
        QVERIFY(!check->findChild<QCheckBox*>("chkBands")->isEnabled());
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!b.w->findChild<frmCheck*>("frmCheck"));
    }

    // Eight cards typed in one go: each card's numbers and 次のｼｰﾄへ, the last OK by Enter; a bad entry keeps OK off
    // and Enter does nothing.
    void cardEntryThroughEightSheets() {
        Board b;
        b.whenOpen("frmCardEntry", [&](QWidget* d) {
            auto* text = d->findChild<QPlainTextEdit*>("txtNumbers");
            QTest::keyClicks(text, "1 2 x");
            QTest::keyClick(text, Qt::Key_Return);
            QVERIFY(d->isVisible() && d->findChild<QLabel*>("lblMessage")->text() == "x は 0〜99 の数ではありません");
            text->clear();
            for (int s = 0; s < kSheets; ++s) {
                QCOMPARE(d->windowTitle(), QString("ｶｰﾄﾞ番号の一括入力 - Sheet %1").arg(s + 1));
                for (int n = 1; n <= 24; ++n)
                    QTest::keyClicks(text, QString::number(n + s) + " ");
                // QTest's key events miss a button's mnemonic (Alt+N works by a real keyboard): clicked here.
                if (s < kSheets - 1)
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdNext"), Qt::LeftButton);
                else
                    QTest::keyClick(text, Qt::Key_Return);
            }
        });
        b.w->action("mnCardEntry")->trigger();
        QCOMPARE(Grid(b.m, 7, false), "8 13 18 22 27\n9 14 19 23 28\n10 15 @ 24 29\n11 16 20 25 30\n12 17 21 26 31");
        QVERIFY(Grid(b.m, 0, false).startsWith("1 6 11 15 20") && b.m.doc.DocChanged == -1);
    }

    // A cell corrected in a run by its right-button menu: the marks follow the new text at once, CurBox stays,
    // and the recovery file holds the change at once.
    void cellCorrectedInARun() {
        Board b;
        SetSheet(b.m, 0, "1 2 3 4 9");
        QTest::keyClick(b.w.get(), Qt::Key_F5);
        b.type("1E2E3E4E5E");
        QVERIFY(b.m.view.BMess[0].Caption == "Reach1");
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
            b.whenOpen("frmCellFix", [](QWidget* d) {
                QCOMPARE(d->findChild<QLabel*>("lblPlace")->text(), "Sheet 1 1行5列");
                QTest::keyClicks(d->findChild<QLineEdit*>("txtCell"), "5x");
                QTest::keyClick(d->findChild<QLineEdit*>("txtCell"), Qt::Key_Return);
            });
            b.w->action("mnCellFix")->trigger();
        });
        QTest::mouseClick(b.w->cell(4), Qt::RightButton);
        QVERIFY(b.m.view.BMess[0].Caption == "Hit! Bingo1" && b.m.view.CurBox == 0 && b.m.view.BBox[4].Caption == "5");
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

QTEST_MAIN(TestExtraWindows)
#include "test_extrawindows.moc"
