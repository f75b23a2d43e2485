#include "fixture.h"
#include "frmmain.h"
#include "startup.h"

#include <fstream>
#include <unistd.h>

QWidget* Splash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmTitle") return w;
    return nullptr;
}

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    // main()'s steps after its arguments: the file as parsed ("misused": none), and given an outcome, the real splash
    // and main window: the file title and first cell shown, then each "ﾌｧｲﾙを開く" message and its icon.
    void startWithArguments_data() {
        // arguments: after the program's name, in the documents' folder
        Columns<QByteArrayList, QByteArray, QString>("arguments", "file", "outcome");
        const auto row = [](auto name, QByteArrayList args, QByteArray f, QString out) { Row(name, args, f, out); };
        row("an unknown option: the file is not opened", {"--bogus", "in.bng"}, "misused", "");
        row("a file relative to the current folder", {"in.bng"}, "in.bng", "in.bng [42]");
        row("a refused file: its refusal, then an untitled document", {"bad.bng"}, "bad.bng",
            "無題 [] | ﾌｧｲﾙ bad.bng は使用不可能な形式または他の形式で保存されています。 | 3");
        row("a missing file: named as typed", {"sub/gone.bng"}, "sub/gone.bng",
            "無題 [] | ﾌｧｲﾙ sub/gone.bng が見つかりません。 | 2");
        // Found as faults: a folder was "not found", ".." was resolved as text, a name not UTF-8 was lost.
        const char* folder = "無題 [] | ﾌｧｲﾙ sub は使用不可能な形式または他の形式で保存されています。 | 3";
        row("a folder is refused as Open refuses it", {"sub"}, "sub", folder);
        row("a folder with a final /", {"sub/"}, "sub/", folder);
        row("'..' after a link is where the link leads", {"link/../in2.bng"}, "link/../in2.bng", "in2.bng [42]");
        row("a name that is not UTF-8", {"\xff.bng"}, "\xff.bng", "\uFFFD.bng [42]");
        row("a restored game keeps the file unopened, and says so", {"in.bng"}, "in.bng",
            "無題 [] | 復元したため、ﾌｧｲﾙ in.bng は開きませんでした。 | 2");
        row("a restored game without a file: nothing said", {}, "", "無題 []");
    }
    void startWithArguments() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(QString, outcome);
        Game docs, app; // only their folders: the documents', and the program's with its settings
        app.Write(kSettingsFileName, SettingsFile(1, 10, 60));
        const QByteArray here = QFile::encodeName(docs.dir.path()) + "/";
        QVERIFY(QDir(docs.dir.path()).mkpath("real/sub") && QDir(docs.dir.path()).mkdir("sub"));
        QVERIFY(symlink(here + "real/sub", here + "link") == 0);
        for (const char* name : {"in.bng", "real/in2.bng", "\xff.bng"})
            QVERIFY(std::ofstream(here + name, std::ios::binary) << kLoaded.toStdString());
        docs.Write("bad.bng", "junk");
        const QString startFolder = QDir::currentPath();
        QDir::setCurrent(docs.dir.path());
        std::vector<std::string> argv{"numbalo"};
        for (const QByteArray& argument : arguments)
            argv.push_back(argument.toStdString());
        const CommandLine command = ParseCommandLine(argv);
        QDir::setCurrent(startFolder); // the path was taken from the folder the program started in
        QCOMPARE(QByteArray::fromStdString(command.misused ? "misused" : command.file), file);
        QCOMPARE(QByteArray::fromStdString(command.filePath), file.isEmpty() || command.misused ? "" : here + file);
        if (outcome.isEmpty()) return;
        QStringList seen; // every message box, answered with OK: "text | icon" (3 stop, 2 exclamation)
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QVERIFY(box->windowTitle() == "ﾌｧｲﾙを開く" && box->standardButtons() == QMessageBox::Ok);
                seen << QString("%1 | %2").arg(box->text()).arg(box->icon());
                box->button(QMessageBox::Ok)->click();
            }
        });
        boxes.start(20);
        StartUp startUp(command, app.dir.path().toStdString() + "/");
        const modMain& m = startUp.module();
        QString atRecovery;
        startUp.tryRecover = [&] {
            atRecovery = QString("shown %1, splash %2, %3")
                             .arg(startUp.mainWindow()->isVisible())
                             .arg(Splash() && Splash()->isVisible())
                             .arg(Q(m.doc.DocName));
            return QString(QTest::currentDataTag()).contains("restored");
        };
        startUp.Begin();
        QVERIFY(m.run.SysSetting == Setting(1, 10, 60)); // the splash read the settings before the main window exists
        QTest::qWait(1500);
        QVERIFY(!startUp.mainWindow() && Splash()->isVisible()); // the splash stays two seconds
        QTRY_VERIFY_WITH_TIMEOUT(!atRecovery.isEmpty(), 5000);
        QCOMPARE(atRecovery, "shown 1, splash 0, 無題"); // the recovery step comes first, in the shown window
        QTest::qWait(200);
        QTRY_VERIFY(!QApplication::activeModalWidget() && !Splash());
        QCOMPARE((QStringList(QString("%1 [%2]").arg(Q(m.doc.DocName), Q(m.view.BBox[0].Caption))) + seen).join(" | "),
                 outcome);
        QCOMPARE(startUp.mainWindow()->windowTitle(), "Zarvello Quorvex 98 - [" + Q(m.doc.DocName) + "]");
        QCOMPARE(m.doc.DocChanged, 0);
    }

    // The built program before any window: without a display it prints and ends well (no error line); misused on a
    // display, it prints the usage and runs on.
    void programOutput_data() {
        // out: a pattern for the whole of standard output
        Columns<QStringList, QString, QString>("arguments", "out", "firstErrorLine");
        Row("--version", QStringList{"--version"}, "numbalo \\d+\\.\\d+\\.\\d+\\n", "");
        Row("--help beats a file", QStringList{"--help", "x.bng"},
            "Usage: numbalo \\[options\\] \\[FILE\\]\\n(.|\\n)*-v, --version(.|\\n)*FILE(.|\\n)*", "");
        Row("two files: usage, neither opened", QStringList{"a.bng", "b.bng"}, "", "Usage: numbalo [options] [FILE]");
    }
    void programOutput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, firstErrorLine);
        const QString program = QCoreApplication::applicationDirPath() + "/../numbalo";
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        if (!firstErrorLine.isEmpty()) env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        // With a display: past the splash's two seconds, still running. Without: ended at once, and well.
        QCOMPARE(process.waitForFinished(firstErrorLine.isEmpty() ? 10000 : 3000), firstErrorLine.isEmpty());
        process.kill();
        process.waitForFinished();
        QVERIFY(!firstErrorLine.isEmpty() || (process.exitStatus() == QProcess::NormalExit && !process.exitCode()));
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(stdOut).hasMatch(),
                 qPrintable(stdOut));
        QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()).split('\n').front(), firstErrorLine);
    }

    // The random source is seeded at start from the clock and an entropy source, a fill from the clock alone.
    // Fault mended: every start rolled the same numbers.
    void seeding() {
        const auto draws = [](std::uint64_t time, std::uint32_t noise, bool fill) {
            QtPlatform platform(nullptr, {[=] { return time; }, [=] { return noise; }});
            modMain m(platform);
            m.run.SysSetting = Setting(0, 0, 99);
            if (fill) m.FillCurrentSheetRandom();
            QString out = Grid(m, 0, false) + "|";
            for (int i = 0; i < 8; ++i)
                out += QString::number(platform.Rnd()) + " ";
            return out;
        };
        for (const bool fill : {false, true}) {
            const QString first = draws(1000000, 7, fill);
            QCOMPARE(draws(1000000, 7, fill), first);         // nothing else feeds the seed
            QCOMPARE(draws(1000000, 8, fill) == first, fill); // in the same microsecond: the entropy, at start only
            QVERIFY(draws(2000000, 7, fill) != first);
        }
    }
};

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
