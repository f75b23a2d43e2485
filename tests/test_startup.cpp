#include "fakeplatform.h"
#include "frmmain.h"
#include "startup.h"

namespace {
const QByteArray kGoodDocument = "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200);

// Answers every message box with its default button, recorded as "title | text | icon".
struct BoxAnswerer {
    QStringList seen;
    QTimer poll;
    BoxAnswerer() {
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const char* icon = box->icon() == QMessageBox::Critical  ? "stop"
                                   : box->icon() == QMessageBox::Warning ? "exclamation"
                                                                         : "other";
                seen << box->windowTitle() + " | " + box->text() + " | " + icon +
                            (box->standardButtons() == QMessageBox::Ok ? ", OK" : ", other buttons");
                box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
            }
        });
        poll.start();
    }
};

QString Program() { return QCoreApplication::applicationDirPath() + "/../numbalo"; }
} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    // The steps main() takes after its arguments, with the real splash, main window and message boxes.
    void startWithArguments_data() {
        QTest::addColumn<QStringList>("arguments"); // after the program's name, in the documents' folder
        QTest::addColumn<bool>("recovers");
        QTest::addColumn<QString>("document"); // file title and first cell shown at the end
        QTest::addColumn<QStringList>("messages");
        const QString untitled = "無題 []";
        const QString title = "ﾌｧｲﾙを開く | ";
        QTest::newRow("no file: an untitled document") << QStringList() << false << untitled << QStringList();
        QTest::newRow("a file relative to the current folder") << QStringList{"in.bng"} << false << "in.bng [42]"
                                                                << QStringList();
        QTest::newRow("a refused file: its refusal, then an untitled document")
            << QStringList{"bad.bng"} << false << untitled
            << QStringList{title + "ﾌｧｲﾙ bad.bng は使用不可能な形式または他の形式で保存されています。 | stop, OK"};
        QTest::newRow("a missing file: named as typed")
            << QStringList{"sub/gone.bng"} << false << untitled
            << QStringList{title + "ﾌｧｲﾙ sub/gone.bng が見つかりません。 | exclamation, OK"};
        QTest::newRow("a folder is no file to read") << QStringList{"sub"} << false << untitled
                                                     << QStringList{title + "ﾌｧｲﾙ sub が見つかりません。 | exclamation, OK"};
        QTest::newRow("two files: neither is opened") << QStringList{"in.bng", "bad.bng"} << false << untitled
                                                      << QStringList();
        QTest::newRow("an unknown option: the file is not opened") << QStringList{"--bogus", "in.bng"} << false
                                                                   << untitled << QStringList();
        QTest::newRow("a file after --: opened") << QStringList{"--", "in.bng"} << false << "in.bng [42]"
                                                 << QStringList();
        QTest::newRow("a restored game keeps the file unopened, and says so")
            << QStringList{"in.bng"} << true << untitled
            << QStringList{title + "復元したため、ﾌｧｲﾙ in.bng は開きませんでした。 | exclamation, OK"};
        QTest::newRow("a restored game without a file: nothing said") << QStringList() << true << untitled
                                                                      << QStringList();
    }
    void startWithArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, recovers);
        QTemporaryDir docs, app;
        QVERIFY(QDir(docs.path()).mkdir("sub"));
        for (const auto& [name, bytes] :
             {std::pair{"in.bng", kGoodDocument}, std::pair{"bad.bng", QByteArray("junk")}}) {
            QFile f(docs.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        const QString startFolder = QDir::currentPath();
        QDir::setCurrent(docs.path());
        const CommandLine command = ParseCommandLine(QStringList{"numbalo"} + arguments);
        QDir::setCurrent(startFolder); // the path was taken from the folder the program started in

        BoxAnswerer boxes;
        StartUp startUp(command, app.path().toStdString() + "/");
        QString atRecovery;
        startUp.tryRecover = [&] {
            const modMain& m = startUp.module();
            atRecovery = QString("shown %1, %2").arg(startUp.mainWindow()->isVisible()).arg(Q(m.DocName));
            return recovers;
        };
        startUp.Begin();
        QTRY_VERIFY_WITH_TIMEOUT(!atRecovery.isEmpty(), 5000);
        QCOMPARE(atRecovery, "shown 1, 無題"); // the recovery step comes first, in the shown window
        QTest::qWait(200);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        const modMain& m = startUp.module();
        QTEST(QString("%1 [%2]").arg(Q(m.DocName), Q(m.BBox[0].Caption)), "document");
        QCOMPARE(startUp.mainWindow()->windowTitle(), "Zarvello Quorvex 98 - [" + Q(m.DocName) + "]");
        QCOMPARE(m.DocChanged, 0);
        QTEST(boxes.seen, "messages");
        QVERIFY(QFile::exists(app.filePath("numbalo.ini"))); // the splash read (and so wrote) the settings
    }

    // The built program itself, for what main() does before any window exists.
    void programOutput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display"); // false: no display at all
        QTest::addColumn<QString>("out");  // a pattern for the whole of standard output
        QTest::addColumn<QString>("firstErrorLine");
        QTest::addColumn<bool>("keepsRunning");
        const QString usage = "Usage: numbalo [options] [FILE]";
        const QString version = "numbalo \\d+\\.\\d+\\.\\d+\\n";
        const QString help = "Usage: numbalo \\[options\\] \\[FILE\\]\\n(.|\\n)*-v, --version(.|\\n)*FILE(.|\\n)*";
        QTest::newRow("--version without a display") << QStringList{"--version"} << false << version << "" << false;
        QTest::newRow("--help without a display") << QStringList{"--help"} << false << help << "" << false;
        QTest::newRow("-h beats a file") << QStringList{"-h", "x.bng"} << false << help << "" << false;
        QTest::newRow("two files: usage, then the program runs") << QStringList{"a.bng", "b.bng"} << true << ""
                                                                  << usage << true;
        QTest::newRow("an unknown option: usage, then the program runs") << QStringList{"--bogus"} << true << ""
                                                                         << usage << true;
    }
    void programOutput() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(QString, out);
        QFETCH(bool, keepsRunning);
        QVERIFY2(QFileInfo(Program()).isExecutable(), qPrintable(Program()));
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        if (display)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(Program(), arguments);
        QVERIFY(program.waitForStarted());
        if (keepsRunning) {
            // Past the splash's two seconds the main window is up and the program still running.
            QVERIFY(!program.waitForFinished(3000));
            program.kill();
            program.waitForFinished();
        } else {
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
        }
        const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(stdOut).hasMatch(),
                 qPrintable(stdOut));
        const QStringList errors = QString::fromLocal8Bit(program.readAllStandardError()).split('\n');
        QTEST(errors.front(), "firstErrorLine");
    }
};

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
