#include "alerts.h"
#include "extrasettings.h"
#include "fixture.h"
#include "frmmain.h"
#include "sheetframe.h"

namespace {
// The module alone, answering Yes, recording each announcement: "-" for no news, "." for a call without news,
// else the news by sheet, "R0 B1".
struct NewsPlatform : Platform {
    QStringList heard;
    int MsgBox(const std::string&, int, const std::string&) override { return vbYes; }
    void DoEvents() override {}
    void Changed() override {}
    float Rnd() override { return 0.5f; }
    void Randomize() override {}
    void Announce(const CallNews& news) override {
        QStringList parts;
        for (int s = 0; s < kSheets; ++s)
            if (news.sheets[s] != LineNews::None)
                parts << QString(news.sheets[s] == LineNews::Bingo ? "B%1" : "R%1").arg(s);
        heard << (!news.call ? "-" : parts.isEmpty() ? "." : parts.join(' '));
    }
};

// A frame as the style draws it, without what lies inside.
QImage FrameLook(QWidget* frame) {
    QImage image(frame->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    frame->render(&image, {}, {}, QWidget::DrawWindowBackground);
    return image;
}
} // namespace

class TestAlerts : public QObject {
    Q_OBJECT
private slots:
    // Sheets ("|" between sheets, SetSheet's notation) and steps: S Start, a number a call, U take-back, E End,
    // "R1,2" a run restored with those calls.
    void news_data() {
        QTest::addColumn<QString>("sheets");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("heard");
        const auto row = [](const char* name, const char* sheets, const char* steps, const char* heard) {
            QTest::newRow(name) << QString(sheets) << QString(steps) << QString(heard);
        };
        row("a reach, a bingo; a repeat, a take-back and End bring none", "1 2 3 4 5", "S 1 2 3 4 5 5 U E",
            "- . . . R0 B0 . - -");
        row("a bingo here and a reach there in one call", "1 2 3 4 5|1 2 3 5 9", "S 1 2 3 4 5", "- . . . R0 B0 R1");
        row("a second reach line on a sheet with one", "1 2 3 4 5\n6 7 8 9 10", "S 1 2 3 4 6 7 8 9",
            "- . . . R0 . . . R0");
        row("free holes at Start bring none", "@ @ @ @ 5", "S 5", "- B0");
        row("three hits to five in one call: a bingo only", "7 7 1 2 3", "S 1 2 3 7", "- . . . B0");
        row("a restored run brings none, its next call does", "1 2 3 4 5", "R1,2,3,4 5", "- B0");
    }
    void news() {
        QFETCH(QString, sheets);
        QFETCH(QString, steps);
        NewsPlatform platform;
        modMain m(platform);
        m.run.SysSetting = {0, 0, 99};
        for (int s = 0; s < sheets.split('|').size(); ++s)
            SetSheet(m, s, sheets.split('|')[s].toStdString());
        for (const QString& step : steps.split(' ')) {
            if (step == "S")
                m.Start();
            else if (step == "U")
                m.TakeBackLastCall();
            else if (step == "E")
                m.EndRun();
            else if (step.startsWith('R')) {
                std::vector<std::int16_t> calls;
                for (const QString& n : step.mid(1).split(','))
                    calls.push_back(std::int16_t(n.toInt()));
                m.RestoreRun(m.run.SysSetting, calls, int(calls.size()), false);
            } else {
                m.view.LBInput = step.toStdString();
                m.CallNumber();
            }
        }
        QTEST(platform.heard.join(' '), "heard");
    }

    // A game at the window: a reach chimes, a bingo plays its sound and flashes the frame, the status label's
    // description says why, and keys typed during the flash call the number. The flash ends with the frame as
    // drawn before; with the sound off the flash stays, and the choice is kept for the next start.
    void alertsAtTheWindow() {
        Game g;
        auto w = std::make_unique<frmMain>(g.m, g.platform, std::make_unique<FakeDialogs>());
        SetSheet(g.m, 0, "1 2 3 4 5");
        w->show();
        w->activateWindow(); // shortcuts reach only the active window
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* frame = w->findChild<SheetFrame*>("BSheet0");
        auto* status = w->findChild<QWidget*>("BMess0");
        const QImage before = FrameLook(frame);
        Alerts& alerts = w->alerts();
        const auto type = [&](const char* keys) {
            for (const char* k = keys; *k; ++k)
                QTest::keyClick(w.get(), *k == 'E' ? Qt::Key_Return : Qt::Key(*k));
        };
        QTest::keyClick(w.get(), Qt::Key_F5);
        type("1E2E3E4E");
        QCOMPARE(int(alerts.lastSound()), int(LineNews::Reach));
        QVERIFY(!alerts.isFlashing() && status->accessibleDescription() == "リーチ");
        type("5E");
        QVERIFY(alerts.lastSound() == LineNews::Bingo && alerts.isFlashing() && frame->alarm());
        QVERIFY(status->accessibleDescription() == "ビンゴ" && FrameLook(frame) != before);
        type("47E");
        QVERIFY(g.m.view.LBLog[0] == "47" && status->accessibleDescription().isEmpty() && alerts.isFlashing());
        QTRY_VERIFY_WITH_TIMEOUT(!alerts.isFlashing(), 3000);
        QVERIFY(!frame->alarm() && FrameLook(frame) == before);

        w->action("mnSound")->trigger();
        QVERIFY(g.Read(kExtraSettingsFileName).startsWith("sound=off\n"));
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier); // takes 47 back
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier); // takes the bingo back
        type("5E");
        QVERIFY(alerts.lastSound() == LineNews::None && alerts.isFlashing());
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!alerts.isFlashing() && !frame->alarm());
        w->close();
        frmMain again(g.m, g.platform, std::make_unique<FakeDialogs>());
        QVERIFY(!again.action("mnSound")->isChecked() && !again.alerts().soundOn());
    }
};

QTEST_MAIN(TestAlerts)
#include "test_alerts.moc"
