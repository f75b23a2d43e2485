#include "fakeplatform.h"
#include "frmmain.h"
#include "startup.h"

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    // The steps main() takes after its arguments, with the real splash, main window and message boxes.
    void startWithArguments_data() {
        QTest::addColumn<QStringList>("arguments"); // after the program's name, in the documents' folder
        QTest::addColumn<bool>("recovers");
        QTest::addColumn<QString>("document"); // file title and first cell shown at the end
        QTest::addColumn<QString>("message");  // after "ﾌｧｲﾙを開く | ": text, icon and buttons
        const auto row = [](const char* name, const QStringList& arguments, bool recovers, const char* document,
                            const char* message = "") {
            QTest::newRow(name) << arguments << recovers << QString(document) << QString(message);
        };
        row("no file: an untitled document", {}, false, "無題 []");
        row("a file relative to the current folder", {"in.bng"}, false, "in.bng [42]");
        row("a refused file: its refusal, then an untitled document", {"bad.bng"}, false, "無題 []",
            "ﾌｧｲﾙ bad.bng は使用不可能な形式または他の形式で保存されています。 | stop, OK");
        row("a missing file: named as typed", {"sub/gone.bng"}, false, "無題 []",
            "ﾌｧｲﾙ sub/gone.bng が見つかりません。 | exclamation, OK");
        row("a folder is no file to read", {"sub"}, false, "無題 []", "ﾌｧｲﾙ sub が見つかりません。 | exclamation, OK");
        row("two files: neither is opened", {"in.bng", "bad.bng"}, false, "無題 []");
        row("an unknown option: the file is not opened", {"--bogus", "in.bng"}, false, "無題 []");
        row("a file after --: opened", {"--", "in.bng"}, false, "in.bng [42]");
        row("a restored game keeps the file unopened, and says so", {"in.bng"}, true, "無題 []",
            "復元したため、ﾌｧｲﾙ in.bng は開きませんでした。 | exclamation, OK");
        row("a restored game without a file: nothing said", {}, true, "無題 []");
    }
    void startWithArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, recovers);
        QFETCH(QString, message);
        Game docs; // only its folder
        QTemporaryDir app;
        QVERIFY(QDir(docs.dir.path()).mkdir("sub"));
        docs.Write("in.bng", "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        docs.Write("bad.bng", "junk");
        const QString startFolder = QDir::currentPath();
        QDir::setCurrent(docs.dir.path());
        const CommandLine command = ParseCommandLine(QStringList{"numbalo"} + arguments);
        QDir::setCurrent(startFolder); // the path was taken from the folder the program started in

        QStringList seen; // every message box answered with OK, recorded as "title | text | icon, buttons"
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            const auto icon = box->icon();
            seen << QString("%1 | %2 | %3, %4")
                        .arg(box->windowTitle(), box->text(),
                             icon == QMessageBox::Critical ? "stop" : icon == QMessageBox::Warning ? "exclamation" : "",
                             box->standardButtons() == QMessageBox::Ok ? "OK" : "others");
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        });
        boxes.start(20);
        StartUp startUp(command, app.path().toStdString() + "/");
        const modMain& m = startUp.module();
        QString atRecovery;
        startUp.tryRecover = [&] {
            atRecovery = QString("shown %1, %2").arg(startUp.mainWindow()->isVisible()).arg(Q(m.DocName));
            return recovers;
        };
        startUp.Begin();
        QTRY_VERIFY_WITH_TIMEOUT(!atRecovery.isEmpty(), 5000);
        QCOMPARE(atRecovery, "shown 1, 無題"); // the recovery step comes first, in the shown window
        QTest::qWait(200);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTEST(QString("%1 [%2]").arg(Q(m.DocName), Q(m.BBox[0].Caption)), "document");
        QCOMPARE(startUp.mainWindow()->windowTitle(), "Zarvello Quorvex 98 - [" + Q(m.DocName) + "]");
        QCOMPARE(m.DocChanged, 0);
        QCOMPARE(seen, message.isEmpty() ? QStringList() : QStringList("ﾌｧｲﾙを開く | " + message));
        QVERIFY(QFile::exists(app.filePath("numbalo.ini"))); // the splash read (and so wrote) the settings
    }

    // The built program itself, for what main() does before any window exists.
    void programOutput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out"); // a pattern for the whole of standard output
        // Empty: no display at all, and the program ends at once; else the program runs on a display.
        QTest::addColumn<QString>("firstErrorLine");
        const QString help = "Usage: numbalo \\[options\\] \\[FILE\\]\\n(.|\\n)*-v, --version(.|\\n)*FILE(.|\\n)*";
        const QString usage = "Usage: numbalo [options] [FILE]";
        QTest::newRow("--version without a display") << QStringList{"--version"} << "numbalo \\d+\\.\\d+\\.\\d+\\n"
                                                     << "";
        QTest::newRow("--help without a display") << QStringList{"--help"} << help << "";
        QTest::newRow("-h beats a file") << QStringList{"-h", "x.bng"} << help << "";
        QTest::newRow("two files: usage, then the program runs") << QStringList{"a.bng", "b.bng"} << "" << usage;
        QTest::newRow("an unknown option: usage, then the program runs") << QStringList{"--bogus"} << "" << usage;
    }
    void programOutput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, firstErrorLine);
        const QString program = QCoreApplication::applicationDirPath() + "/../numbalo";
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        if (!firstErrorLine.isEmpty()) env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        QVERIFY(process.waitForStarted());
        if (!firstErrorLine.isEmpty()) {
            QVERIFY(!process.waitForFinished(3000)); // past the splash's two seconds, still running
            process.kill();
            process.waitForFinished();
        } else {
            QVERIFY(process.waitForFinished(10000));
            QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        }
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(stdOut).hasMatch(),
                 qPrintable(stdOut));
        QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()).split('\n').front(), firstErrorLine);
    }
};

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
