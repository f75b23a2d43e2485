#include "alerts.h"
#include "extrasettings.h"
#include "fixture.h"
#include "frmmain.h"
#include "sheetframe.h"

namespace {
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
    // Sheets ("|" between them) and steps: S Start, a number a call, U take-back, E End, "R1,2" a restored run.
    void news_data() {
        Columns<QString, QString, QString>("sheets", "steps", "heard");
        Row("a reach, a bingo; a repeat, take-back, End: none", "1 2 3 4 5", "S 1 2 3 4 5 5 U E",
            "- . . . R0 B0 . - -");
        Row("a bingo here, a reach there in one call", "1 2 3 4 5|1 2 3 5 9", "S 1 2 3 4 5", "- . . . R0 B0 R1");
        Row("a second reach line", "1 2 3 4 5\n6 7 8 9 10", "S 1 2 3 4 6 7 8 9", "- . . . R0 . . . R0");
        Row("free holes at Start: none", "@ @ @ @ 5", "S 5", "- B0");
        Row("three hits to five in one call: a bingo only", "7 7 1 2 3", "S 1 2 3 7", "- . . . B0");
        Row("a restored run: none, its next call news", "1 2 3 4 5", "R1,2,3,4 5", "- B0");
    }
    void news() {
        QFETCH(QString, sheets);
        QFETCH(QString, steps);
        Game g;
        for (int s = 0; s < sheets.count('|') + 1; ++s)
            SetSheet(g.m, s, sheets.section('|', s, s).toStdString());
        for (const QString& step : steps.split(' ')) {
            std::vector<std::int16_t> calls;
            for (const QString& n : step.mid(1).split(',', Qt::SkipEmptyParts))
                calls.push_back(std::int16_t(n.toInt()));
            if (step == "S")
                g.m.Start();
            else if (step == "U")
                g.m.TakeBackLastCall();
            else if (step == "E")
                g.m.EndRun();
            else if (step.startsWith('R'))
                g.m.RestoreRun(g.m.run.SysSetting, calls, int(calls.size()), false);
            else
                g.Call(step.toInt());
        }
        QTEST(g.platform.news.join(' '), "heard");
    }

    // At the window: a reach chimes, a bingo plays its sound and flashes the frame, the status label's description
    // says why, keys typed during the flash call the number, and the flash ends with the frame as drawn before.
    // With the sound off the flash stays; a take-back stops it; the choice is kept for the next start.
    void alertsAtTheWindow() {
        Game g;
        auto w = std::make_unique<frmMain>(g.m, g.platform, std::make_unique<FakeDialogs>());
        w->show();
        w->activateWindow(); // shortcuts reach only the active window
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        SetSheet(g.m, 0, "1 2 3 4 5");
        auto* frame = w->findChild<SheetFrame*>("BSheet0");
        auto* status = w->findChild<QWidget*>("BMess0");
        const QImage before = FrameLook(frame);
        Alerts& alerts = w->alerts();
        const auto type = [&](const char* keys) {
            for (const char* k = keys; *k; ++k)
                QTest::keyClick(w.get(), *k == 'E' ? Qt::Key_Return : Qt::Key(*k));
        };
        const auto undo = [&] { QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier); };
        QTest::keyClick(w.get(), Qt::Key_F5);
        type("1E2E3E4E");
        QVERIFY(alerts.lastSound() == LineNews::Reach && !alerts.isFlashing() &&
                status->accessibleDescription() == "リーチ");
        type("5E");
        QVERIFY(alerts.lastSound() == LineNews::Bingo && alerts.isFlashing() && frame->alarm());
        QVERIFY(status->accessibleDescription() == "ビンゴ" && FrameLook(frame) != before);
        type("47E");
        QVERIFY(g.m.view.LBLog[0] == "47" && status->accessibleDescription().isEmpty() && alerts.isFlashing());
        QTRY_VERIFY_WITH_TIMEOUT(!alerts.isFlashing(), 3000);
        QVERIFY(!frame->alarm() && FrameLook(frame) == before);

        w->action("mnSound")->trigger();
        QVERIFY(g.Read(kExtraSettingsFileName).startsWith("sound=off\n"));
        undo();
        undo(); // 47, then the bingo
        type("5E");
        QVERIFY(alerts.lastSound() == LineNews::None && alerts.isFlashing());
        undo();
        QVERIFY(!alerts.isFlashing() && !frame->alarm());
        w->close();
        frmMain again(g.m, g.platform, std::make_unique<FakeDialogs>());
        QVERIFY(!again.action("mnSound")->isChecked() && !again.alerts().soundOn());
    }
};

QTEST_MAIN(TestAlerts)
#include "test_alerts.moc"
