#include "engine/run/ConversionRun.h"
#include "engine/support/FileNames.h"
#include "window/reports/ReportFile.h"
#include "TemporaryStateFolder.h"
#include "window/reports/ConversionReport.h"

#include <QTest>

namespace {
const QDateTime When(QDate(2026, 12, 7), QTime(10, 45, 12));
}

class ReportFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedUnderTheStateFolder_data()
    {
        QTest::addColumn<QByteArray>("stateHome");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_STATE_HOME") << QByteArray("/state") << "state/quorvel";
        QTest::newRow("unset: below home") << QByteArray() << "home/.local/state/quorvel";
        QTest::newRow("relative: ignored") << QByteArray("state") << "home/.local/state/quorvel";
    }
    void savedUnderTheStateFolder()
    {
        QFETCH(QByteArray, stateHome);
        QFETCH(QString, folder);
        TemporaryStateFolder root;
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root.path()) + "/home");
        qputenv("XDG_STATE_HOME", stateHome.startsWith('/') ? QFile::encodeName(root.path()) + stateHome : stateHome);
        // A Latin-1 file name keeps its bytes in the report.
        const QByteArray text = "/m/caf\xe9.eml: No such file or directory\n";
        const SavedReport first = saveReport(QStringLiteral("conversion"), nameFromNative(text), When);
        const SavedReport second = saveReport(QStringLiteral("conversion"), QStringLiteral("second\n"), When);
        qputenv("HOME", home);

        QVERIFY2(first.saved() && second.saved(), qPrintable(first.failure + second.failure));
        const QString expected = root.path() + QLatin1Char('/') + folder + QStringLiteral("/conversion-2026-12-07T10-45-12");
        QCOMPARE(first.path, expected + QStringLiteral(".txt"));
        QVERIFY(second.path.startsWith(expected) && second.path != first.path);  // the same second: a file of its own
        QFile one(first.path), two(second.path);
        QVERIFY(one.open(QIODevice::ReadOnly) && two.open(QIODevice::ReadOnly));
        QCOMPARE(one.readAll(), text);
        QCOMPARE(two.readAll(), QByteArray("second\n"));
    }

    // The box lists the first notes; the details hold every failure and note.
    void conversionDetails_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("notes");
        QTest::newRow("clean run") << 0 << 0;
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
            result.notes.append({QStringLiteral("/out/%1.mbox").arg(i), QStringLiteral("cut back")});
        const QString details = conversionReportDetails(result);
        const QString boxNotes = conversionReportNotes(result);
        QCOMPARE(details.isEmpty(), failures + notes == 0);
        QCOMPARE(details.count(QStringLiteral(": gone\n")), failures);
        QCOMPARE(details.count(QStringLiteral(": cut back\n")), notes);
        QCOMPARE(boxNotes.count(QStringLiteral(": cut back\r\n")), qMin(notes, 20));
        QCOMPARE(boxNotes.contains(QStringLiteral("... and 10 more.")), notes == 30);
    }
};

QTEST_GUILESS_MAIN(ReportFileTest)
#include "tst_reportfile.moc"
