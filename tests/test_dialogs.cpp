#include "fakeplatform.h"
#include "frminfo.h"
#include "frminput.h"
#include "frmoption.h"
#include "frmtitle.h"
#include "frmver.h"
#include "qtplatform.h"
#include "settingsfile.h"

#include <QtTest>
#include <QtWidgets>

namespace {
template <class T = QLabel> T* Child(QWidget* w, const QString& name) { return w->findChild<T*>(name); }
QString Texts(QWidget* w, const QStringList& names, char sep = ' ') {
    QStringList texts;
    for (const QString& name : names)
        texts << Child(w, name)->text();
    return texts.join(sep);
}
int Bar(QWidget* w, int i) { return Child<QScrollBar>(w, QString("HSMinMax%1").arg(i))->value(); }
// Both bars, then LBMinMax(0), LBMinMax(1) and LBKinds.
QString OptionControls(QWidget* d) {
    return QString("%1 %2 ").arg(Bar(d, 0)).arg(Bar(d, 1)) + Texts(d, {"LBMinMax0", "LBMinMax1", "LBKinds"});
}
// Title, client size, and whether it is fixed without minimise or maximise buttons.
QString Look(QWidget* d) {
    const bool fixed = d->minimumSize() == d->maximumSize() && !(d->windowFlags() & Qt::WindowMinMaxButtonsHint);
    return QString("%1 %2x%3%4").arg(d->windowTitle()).arg(d->width()).arg(d->height()).arg(fixed ? " fixed" : "");
}
void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
QString Dashes(int rows) { return QStringList(rows, "-/-/----").join('|'); }
SettingRecord Settings(int mode, int lo, int hi) {
    return {static_cast<std::int16_t>(mode), static_cast<std::int16_t>(lo), static_cast<std::int16_t>(hi)};
}
QByteArray SettingsBytes(int mode, int lo, int hi) {
    return QString("<RunMode>\r\n %1 \r\n<MinNumber>\r\n %2 \r\n<MaxNumber>\r\n %3 \r\n").arg(mode).arg(lo).arg(hi).toLatin1();
}

// A module whose change notices reach the dialogs as in the program; its settings file
// lives in a temporary folder.
struct Setup {
    QTemporaryDir dir;
    QtPlatform platform;
    modMain m{platform};
    explicit Setup(SettingRecord s) {
        m.SysSetting = s;
        m.AppFolder = dir.path().toStdString() + "/";
    }
    QString path() const { return dir.filePath(kSettingsFileName); }
    QByteArray read() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : "(none)";
    }
    void write(const QByteArray& bytes) const {
        QFile f(path());
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
};
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // Open with stored settings, optionally move one bar, then Enter: the bars are stored
    // and the settings file is rewritten even when nothing changed.
    void optionsSpacingRuleAndOk_data() {
        for (const char* c : {"mode", "lo", "hi", "bar", "value"})
            QTest::addColumn<int>(c);
        QTest::addColumn<QString>("controls");
        QTest::newRow("defaults open unchanged") << 0 << 0 << 99 << -1 << 0 << "0 99 0 99 100";
        QTest::newRow("50 and 60: lowest bar at 36, labels keep 50") << 1 << 50 << 60 << -1 << 0 << "36 60 50 60 25";
        QTest::newRow("lowest to 75 pushes highest 80 up to 99") << 1 << 0 << 80 << 0 << 75 << "75 99 75 99 25";
        QTest::newRow("highest to 30 pushes lowest 20 down to 6") << 0 << 20 << 99 << 1 << 30 << "6 30 6 30 25";
        QTest::newRow("lowest to 10 under 99 moves nothing else") << 0 << 0 << 99 << 0 << 10 << "10 99 10 99 90";
    }
    void optionsSpacingRuleAndOk() {
        QFETCH(int, mode);
        QFETCH(int, bar);
        QFETCH(int, value);
        QFETCH(int, lo);
        QFETCH(int, hi);
        Setup s(Settings(mode, lo, hi));
        s.write("<RunMode>\r\n0\r\n<MinNumber>\r\n0\r\n<MaxNumber>\r\n99\r\n");
        QPointer<frmOption> d = new frmOption(s.m, s.platform);
        QCOMPARE(Look(d), QString("ｵﾌﾟｼｮﾝ 319x193 fixed"));
        QVERIFY(Child<QRadioButton>(d, mode ? "optRand" : "optReal")->isChecked());
        if (bar >= 0)
            Child<QScrollBar>(d, QString("HSMinMax%1").arg(bar))->setValue(value);
        QTEST(OptionControls(d), "controls");
        d->show();
        const int barLo = Bar(d, 0), barHi = Bar(d, 1);
        QTest::keyClick(d, Qt::Key_Return);
        QVERIFY(s.m.SysSetting == Settings(mode, barLo, barHi));
        QCOMPARE(s.read(), SettingsBytes(mode, barLo, barHi));
        QCOMPARE(s.m.RealRunPressed, mode == 0);
        QCOMPARE(s.m.RandRunPressed, mode == 1);
        Flush();
        QVERIFY(!d);
    }

    void optionsEscapePressesDefaultAndStaysOpen() {
        Setup s(Settings(1, 50, 60));
        QPointer<frmOption> d = new frmOption(s.m, s.platform);
        d->show();
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(d->isVisible());
        QVERIFY(Child<QRadioButton>(d, "optReal")->isChecked());
        QCOMPARE(OptionControls(d), QString("0 99 0 99 100"));
        Child<QPushButton>(d, "CmdCancel")->click();
        Flush();
        QVERIFY(!d);
        QVERIFY(s.m.SysSetting == Settings(1, 50, 60));
        QCOMPARE(s.read(), QByteArray("(none)"));
    }

    // Settings changed under a run used to take effect in the middle of it.
    void optionsOkRefusedDuringRun() {
        Setup s(Settings(0, 0, 99));
        frmOption d(s.m, s.platform);
        d.show();
        Child<QRadioButton>(&d, "optRand")->setChecked(true);
        s.m.LBLineMess = "実行中 / 実戦形式";
        QTest::keyClick(&d, Qt::Key_Return); // before the window hears of the run
        QVERIFY(d.isVisible());
        QCOMPARE(s.m.SysSetting.RunMode, std::int16_t{0});
        QCOMPARE(s.read(), QByteArray("(none)"));
        auto* ok = Child<QPushButton>(&d, "CmdOK");
        s.m.Refresh();
        QVERIFY(!ok->isEnabled());
        s.m.LBLineMess = "編集モード";
        s.m.Refresh();
        QVERIFY(ok->isEnabled());
    }

    void infoFigures_data() {
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QString>("figures"); // settings group, then sheets group
        QTest::addColumn<QString>("table");
        QTest::newRow("empty sheets show dashes") << QStringList() << "0 99 100 - - -" << Dashes(10);
        QTest::newRow("four entries, rows 4 to 9 dashed")
            << QStringList({"7 3 9 @ .", "7 3 12", "7"}) << "0 99 100 3 12 4"
            << "(1)/7/= 3p|(2)/3/= 2p|(3)/9/= 1p|(3)/12/= 1p|" + Dashes(6);
        QStringList ties;
        for (int n = 1; n <= 10; ++n)
            ties << QString("(1)/%1/= 8p").arg(n);
        QTest::newRow("ten ties all ranked 1")
            << QStringList(8, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25")
            << "0 99 100 1 25 25" << ties.join('|');
    }
    void infoFigures() {
        QFETCH(QStringList, sheets);
        Game g;
        for (int i = 0; i < sheets.size(); ++i)
            SetSheet(g.m, i, sheets[i].toStdString());
        frmInfo d(g.m);
        QCOMPARE(Look(&d), QString("ｼｰﾄ情報 306x213 fixed"));
        QTEST(Texts(&d, {"LBSysMin", "LBSysMax", "LBSysKinds", "LBSheetMin", "LBSheetMax", "LBSheetKinds"}), "figures");
        QStringList rows;
        for (int k = 0; k < 10; ++k)
            rows << Texts(&d, {QString("LBHindoNo%1").arg(k), QString("LBHindoNum%1").arg(k), QString("LBHindoP%1").arg(k)}, '/');
        QTEST(rows.join('|'), "table");
    }

    void renameConfirmOrCancel_data() {
        for (const char* c : {"openBox", "moveTo", "key"}) // moveTo: a cell selected while it is open, or -1
            QTest::addColumn<int>(c);
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        const int enter = Qt::Key_Return;
        QTest::newRow("typing replaces the selected name") << 50 << -1 << enter << "Kiso" << "Kiso";
        QTest::newRow("empty name") << 0 << -1 << enter << "\b" << "";
        QTest::newRow("unchanged name still marks changed") << 0 << -1 << enter << "" << "Sheet 1";
        QTest::newRow("sheet selected meanwhile is renamed") << 0 << 180 << enter << "Neu" << "Neu";
        QTest::newRow("escape changes nothing") << 50 << -1 << int(Qt::Key_Escape) << "Neu" << "Sheet 3";
    }
    void renameConfirmOrCancel() {
        QFETCH(int, openBox);
        QFETCH(int, moveTo);
        QFETCH(int, key);
        QFETCH(QString, typed);
        Game g;
        QPointer<frmInput> d = new frmInput(g.m);
        QCOMPARE(Look(d), QString("ｼｰﾄ名の変更 248x85 fixed"));
        d->show();
        g.m.CurBox = static_cast<std::int16_t>(openBox);
        d->Reload(); // the rename command again, on another sheet
        auto* text = Child<QLineEdit>(d, "Text1");
        const QString before = QString::fromStdString(g.m.BSheet[openBox / 25]);
        QCOMPARE(text->selectedText(), before);
        QTest::keyClicks(text, typed);
        if (moveTo >= 0)
            g.m.CurBox = static_cast<std::int16_t>(moveTo);
        QTest::keyClick(text, Qt::Key(key));
        QTEST(QString::fromStdString(g.m.BSheet[g.m.CurBox / 25]), "name");
        QCOMPARE(int(g.m.DocChanged), key == Qt::Key_Return ? -1 : 0);
        if (moveTo >= 0)
            QCOMPARE(QString::fromStdString(g.m.BSheet[openBox / 25]), before);
        Flush();
        QVERIFY(!d);
    }

    // Names the sheet document cannot hold used to be accepted and broke the saved file.
    void renameRefusesUnstorableInput_data() {
        QTest::addColumn<QString>("pasted"); // after "ab"
        QTest::addColumn<QString>("expected");
        QTest::newRow("line break") << "a\nb" << "ab";
        QTest::newRow("emoji") << "😀" << "ab";
        QTest::newRow("DEL") << "x\x7fy" << "ab";
        QTest::newRow("character without CP932 form") << "é" << "ab";
        QTest::newRow("half-width kana and kanji accepted") << "ｼｰﾄ名" << "abｼｰﾄ名";
        QTest::newRow("beyond 16 characters") << "cdefghijklmnopq" << "abcdefghijklmnop";
    }
    void renameRefusesUnstorableInput() {
        QFETCH(QString, pasted);
        Game g;
        frmInput d(g.m);
        auto* text = Child<QLineEdit>(&d, "Text1");
        text->setText("ab");
        text->end(false);
        QGuiApplication::clipboard()->setText(pasted);
        text->paste();
        QTEST(text->text(), "expected");
    }

    void splashLoadsSettingsThenHandsOver_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no settings file
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("settings read before the main window exists") << SettingsBytes(1, 10, 60) << SettingsBytes(1, 10, 60);
        QTest::newRow("missing file replaced by the defaults") << QByteArray() << SettingsBytes(0, 0, 99);
    }
    void splashLoadsSettingsThenHandsOver() {
        QFETCH(QByteArray, file);
        Setup s(Settings(1, 5, 50));
        if (!file.isEmpty())
            s.write(file);
        QPointer<frmTitle> splash;
        QPointer<QWidget> main;
        bool splashShownAtLoad = false;
        splash = new frmTitle(s.m, [&] {
            splashShownAtLoad = splash && splash->isVisible();
            return (main = new QWidget).data();
        });
        QTEST(s.read(), "expected");
        const SettingRecord& r = s.m.SysSetting;
        QTEST(SettingsBytes(r.RunMode, r.MinNumber, r.MaxNumber), "expected");
        splash->show();
        QTest::qWait(1500);
        QVERIFY(!main);
        QTRY_VERIFY_WITH_TIMEOUT(main, 2000);
        QVERIFY(splashShownAtLoad);
        QTRY_VERIFY(!splash);
        QVERIFY(main->isVisible());
        delete main;
    }

    void versionTextAndOk() {
        QPointer<frmVer> d = new frmVer;
        QCOMPARE(Look(d), QString("Zarvello Quorvex のﾊﾞｰｼﾞｮﾝ情報 321x110 fixed"));
        QCOMPARE(Texts(d, {"Label10", "LBVer"}, '|'), QString("Zarvello Quorvex|ﾊﾞｰｼﾞｮﾝ 1.0.46"));
        d->show();
        QTest::keyClick(d, Qt::Key_Return);
        Flush();
        QVERIFY(!d);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
