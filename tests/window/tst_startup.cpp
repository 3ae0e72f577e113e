#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

// quorvel [PATH]...: what the window lists at start-up, and the options
// answered without any display.
class StartupTest : public WindowTest {
    Q_OBJECT
private Q_SLOTS:
    void pathsListedInOrder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("a folder") << QStringList{"mail"} << QStringList{"mail/In/1.eml", "mail/In/2.EML", "mail/Sent/3.eml"}
                                  << QStringList{};
        // As the add-files command lists what its dialog gives, whatever the name.
        QTest::newRow("files") << QStringList{"b.txt", "mail/Sent/3.eml", "a.eml"}
                               << QStringList{"b.txt", "mail/Sent/3.eml", "a.eml"} << QStringList{};
        QTest::newRow("missing paths among others") << QStringList{"a.eml", "gone.eml", "mail/Sent", "lost"}
                                                    << QStringList{"a.eml", "mail/Sent/3.eml"}
                                                    << QStringList{"gone.eml", "lost"};
    }
    void pathsListedInOrder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, missing);
        TempTree tree;
        for (const char *name : {"mail/In/1.eml", "mail/In/2.EML", "mail/Sent/3.eml", "mail/notes.txt", "a.eml", "b.txt"})
            tree.file(QString::fromLatin1(name));
        const auto inTree = [&](QStringList names) {
            for (QString &name : names)
                name = tree.path(name);
            return names;
        };

        w->addStartupPaths(inTree(arguments));

        QCOMPARE(listedPaths(*w), inTree(listed));
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("%1 files").arg(listed.size()));
        const QString last = dialogs->boxes.value(dialogs->boxes.size() - 1).prompt;
        QCOMPARE(last.startsWith(QStringLiteral("Not added: %1 paths that do not exist").arg(missing.size())),
                 !missing.isEmpty());
        for (const QString &path : inTree(missing))
            QVERIFY2(last.contains(path + QLatin1Char('\n')) || last.endsWith(path), qPrintable(last));
    }

    void optionsWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "quorvel " QUORVEL_VERSION "\n" << "";
        QTest::newRow("Qt's own option and -v") << QStringList{"-style", "fusion", "-v"} << 0
                                                << "quorvel " QUORVEL_VERSION "\n" << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "[PATH]..." << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "x.eml"} << 2 << ""
                                        << "quorvel: Unknown option 'frobnicate'.\nTry 'quorvel --help' for more information.\n";
        QTest::newRow("plain start") << QStringList{} << 2 << ""
                                     << "quorvel: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n";
    }
    void optionsWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess quorvel;
        quorvel.setProcessEnvironment(environment);
        quorvel.start(QStringLiteral(QUORVEL_WINDOW_PROGRAM), arguments);
        QVERIFY(quorvel.waitForFinished(60000));
        const QString stdOut = QString::fromLocal8Bit(quorvel.readAllStandardOutput());
        QCOMPARE(quorvel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quorvel.exitCode(), exitCode);
        QCOMPARE(QString::fromLocal8Bit(quorvel.readAllStandardError()), err);
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out) || stdOut.contains(out + QLatin1Char('\n')),
                 qPrintable(stdOut));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
