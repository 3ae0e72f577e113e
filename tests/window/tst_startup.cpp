#include "app/frmStep1.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {
// The tree every case starts from: messages in two folders, and files of other kinds.
void FillTree(TempTree &tree)
{
    for (const char *name : {"mail/Inbox/1.eml", "mail/Inbox/2.EML", "mail/Sent/3.eml", "mail/notes.txt",
                             "loose/a.eml", "loose/b.txt"})
        tree.file(QString::fromLatin1(name), "From: ann@example.org\r\n\r\nbody\r\n");
}

QStringList InTree(const TempTree &tree, const QStringList &relative)
{
    QStringList paths;
    for (const QString &name : relative)
        paths << tree.path(name);
    return paths;
}
}

// quorvel [PATH]...: what the window lists at start-up, and the options
// answered without a window.
class StartupTest : public WindowTest {
    Q_OBJECT
private Q_SLOTS:
    void pathsListedInOrder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("a folder") << QStringList{"mail"}
                                  << QStringList{"mail/Inbox/1.eml", "mail/Inbox/2.EML", "mail/Sent/3.eml"}
                                  << QStringList{};
        // As the add-files command lists what its dialog gives, whatever the name.
        QTest::newRow("files in the order given") << QStringList{"loose/b.txt", "mail/Sent/3.eml", "loose/a.eml"}
                                                  << QStringList{"loose/b.txt", "mail/Sent/3.eml", "loose/a.eml"}
                                                  << QStringList{};
        QTest::newRow("a missing path among others")
            << QStringList{"loose/a.eml", "gone.eml", "mail/Sent", "lost"}
            << QStringList{"loose/a.eml", "mail/Sent/3.eml"} << QStringList{"gone.eml", "lost"};
    }
    void pathsListedInOrder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, missing);
        TempTree tree;
        FillTree(tree);

        w->AddStartupPaths(InTree(tree, arguments));

        QCOMPARE(ListedPaths(*w), InTree(tree, listed));
        QCOMPARE(w->lblCount1->text(), QString::number(listed.size()) + QStringLiteral(" files"));
        QCOMPARE(w->CmdConvert2MBOX->isEnabled(), !listed.isEmpty());
        const ScriptedDialogs::Box last = dialogs->boxes.value(dialogs->boxes.size() - 1);
        if (missing.isEmpty()) {
            QVERIFY(!last.prompt.startsWith(QStringLiteral("Not added")));
        } else {
            QVERIFY2(last.prompt.startsWith(QStringLiteral("Not added: %1 paths that do not exist").arg(missing.size())),
                     qPrintable(last.prompt));
            for (const QString &path : InTree(tree, missing))
                QVERIFY2(last.prompt.contains(path), qPrintable(path));
        }
    }

    // The same walk, boxes and count label as the command gives for the same folder.
    void folderAsTheAddFolderCommand()
    {
        TempTree tree;
        FillTree(tree);
        WindowFixture byCommand;
        frmStep1 &reference = byCommand.open();
        byCommand.dialogs.folderAnswers << tree.path("mail");
        reference.CmdAddFolder->click();

        w->AddStartupPaths({tree.path("mail")});

        QCOMPARE(ListedPaths(*w), ListedPaths(reference));
        QCOMPARE(w->lblCount1->text(), reference.lblCount1->text());
        QCOMPARE(dialogs->boxes.size(), byCommand.dialogs.boxes.size());
        QCOMPARE(dialogs->boxes.value(0).prompt, byCommand.dialogs.boxes.value(0).prompt);
    }

    // Run as a desktop session would not: no display of any kind.
    void optionsWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringLiteral("quorvel " QUORVEL_VERSION "\n")
                                   << QString();
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QStringLiteral("[PATH]...") << QString();
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "x.eml"} << 2 << QString()
                                        << QStringLiteral("quorvel: Unknown option 'frobnicate'.\n"
                                                          "Try 'quorvel --help' for more information.\n");
        QTest::newRow("plain start") << QStringList{} << 2 << QString()
                                     << QStringLiteral("quorvel: no display to open the window on "
                                                       "(DISPLAY and WAYLAND_DISPLAY are unset)\n");
    }
    void optionsWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess quorvel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        quorvel.setProcessEnvironment(environment);
        quorvel.start(QStringLiteral(QUORVEL_BINARY_DIR "/app/quorvel"), arguments);
        QVERIFY(quorvel.waitForFinished(60000));
        const QString stdOut = QString::fromLocal8Bit(quorvel.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(quorvel.readAllStandardError());
        QCOMPARE(quorvel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quorvel.exitCode(), exitCode);
        QCOMPARE(stdErr, err);
        if (out.isEmpty())
            QCOMPARE(stdOut, QString());
        else
            QVERIFY2(stdOut.endsWith(out) || stdOut.contains(out + QLatin1Char('\n')), qPrintable(stdOut));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
