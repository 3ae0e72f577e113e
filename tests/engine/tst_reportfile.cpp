#include "TemporaryStateFolder.h"
#include "convert/ConversionReport.h"
#include "convert/ConversionRun.h"
#include "modules/FileNames.h"
#include "modules/ReportFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDateTime When(QDate(2026, 12, 7), QTime(10, 45, 12));

// A Latin-1 name, as old archives carry them: the report keeps its bytes.
const QByteArray Text = "/m/caf\xe9.eml: No such file or directory\n";

int LinesEnding(const QString &text, const QString &ending, const QString &lineEnd)
{
    int count = 0;
    for (const QString &line : text.split(lineEnd))
        count += line.endsWith(ending) ? 1 : 0;
    return count;
}
}

class ReportFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedUnderTheStateFolder_data()
    {
        QTest::addColumn<QByteArray>("stateHome");
        QTest::addColumn<QString>("below");
        QTest::newRow("XDG_STATE_HOME set") << QByteArray("STATE") << QStringLiteral("state/quorvel");
        QTest::newRow("unset: below the home folder") << QByteArray() << QStringLiteral("home/.local/state/quorvel");
        QTest::newRow("relative: ignored") << QByteArray("state") << QStringLiteral("home/.local/state/quorvel");
    }
    void savedUnderTheStateFolder()
    {
        QFETCH(QByteArray, stateHome);
        QFETCH(QString, below);
        TemporaryStateFolder restoresTheEnvironment;
        QTemporaryDir root;
        const QByteArray previousHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
        if (stateHome.isEmpty())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", stateHome == "STATE" ? QFile::encodeName(root.filePath(QStringLiteral("state"))) : stateHome);

        const SavedReport saved = SaveReport(QStringLiteral("conversion"), NameFromNative(Text), When);
        qputenv("HOME", previousHome);

        QVERIFY2(saved.Saved(), qPrintable(saved.failure));
        QCOMPARE(saved.path, root.filePath(below) + QStringLiteral("/conversion-2026-12-07T10-45-12.txt"));
        QFile file(saved.path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Text);
        // Mail folders' names are private: so are the folders made for the reports.
        QCOMPARE(QFileInfo(root.filePath(below)).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }

    void twoRunsInTheSameSecondKeepTwoReports()
    {
        TemporaryStateFolder state;
        const SavedReport first = SaveReport(QStringLiteral("conversion"), QStringLiteral("first\n"), When);
        const SavedReport second = SaveReport(QStringLiteral("conversion"), QStringLiteral("second\n"), When);
        QVERIFY(first.Saved() && second.Saved());
        QVERIFY(first.path != second.path);
        QCOMPARE(state.reports().size(), 2);
        QFile one(first.path), two(second.path);
        QVERIFY(one.open(QIODevice::ReadOnly) && two.open(QIODevice::ReadOnly));
        QCOMPARE(one.readAll(), QByteArray("first\n"));
        QCOMPARE(two.readAll(), QByteArray("second\n"));
    }

    void anUnwritableFolderSaysWhy()
    {
        TemporaryStateFolder state;
        QFile inTheWay(state.reportFolder());
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        const SavedReport saved = SaveReport(QStringLiteral("add-folder"), QStringLiteral("text\n"), When);
        QVERIFY(!saved.Saved());
        QVERIFY(!saved.failure.isEmpty());
        QVERIFY(SavedReportLine(saved).contains(saved.failure));
    }

    // The box lists the first failures and notes; the details hold them all.
    void conversionDetails_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("notes");
        QTest::newRow("clean run") << 0 << 0;
        QTest::newRow("more failures than the box lists") << 25 << 0;
        QTest::newRow("a success with a repair") << 0 << 1;
        QTest::newRow("more notes than the box lists") << 3 << 30;
    }
    void conversionDetails()
    {
        QFETCH(int, failures);
        QFETCH(int, notes);
        ConversionResult result;
        result.total = 40;
        result.written = result.total - failures;
        for (int i = 1; i <= failures; ++i)
            result.failures.append({QStringLiteral("/m/%1.eml").arg(i), QStringLiteral("gone")});
        for (int i = 1; i <= notes; ++i)
            result.notes.append({QStringLiteral("/out/%1.mbox").arg(i), QStringLiteral("cut back to its last whole record")});

        const QString details = ConversionReportDetails(result);
        const QString boxNotes = ConversionReportNotes(result);
        QCOMPARE(details.isEmpty(), failures == 0 && notes == 0);
        QCOMPARE(boxNotes.isEmpty(), notes == 0);
        QVERIFY(!details.contains(QStringLiteral("more.")));
        QCOMPARE(LinesEnding(details, QStringLiteral(": gone"), QStringLiteral("\n")), failures);
        QCOMPARE(LinesEnding(details, QStringLiteral("whole record"), QStringLiteral("\n")), notes);
        QCOMPARE(LinesEnding(boxNotes, QStringLiteral("whole record"), QStringLiteral("\r\n")), qMin(notes, 20));
        if (notes > 20)
            QVERIFY(boxNotes.contains(QStringLiteral("... and %1 more.").arg(notes - 20)));
        if (!details.isEmpty())
            QCOMPARE(details.section(QLatin1Char('\n'), 0, 0), ConversionReport(result).section(QStringLiteral("\r\n"), 0, 0));
    }
};

QTEST_GUILESS_MAIN(ReportFileTest)
#include "tst_reportfile.moc"
