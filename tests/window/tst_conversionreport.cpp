#include "engine/run/ConversionRun.h"
#include "engine/support/Yielder.h"
#include "window/RunTimeError.h"
#include "window/dialogs/Dialogs.h"
#include "window/reports/ConversionReport.h"

#include <QTest>
#include <cerrno>

namespace {
struct SilentObserver : ConversionObserver {
    void bytesRead(qint64, qint64) override {}
    void messageDone(int, int) override {}
};

ConversionResult failedRun(int total, int written, const QStringList &failed)
{
    ConversionResult result;
    result.total = total;
    result.written = written;
    for (const QString &path : failed)
        result.failures.append({path, QStringLiteral("No such file or directory")});
    return result;
}
} // namespace

class ConversionReportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportTexts()
    {
        ConversionResult result;
        QCOMPARE(conversionReportStyle(result), MsgBoxStyle::Exclamation);  // an empty list is no success
        result.total = result.written = 30;
        QCOMPARE(conversionReport(result), QStringLiteral("Export Completed Successfully !\r\nYour data has been successfully "
                 "exported to .mbox format (Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).\r\n"));
        QCOMPARE(conversionReportStyle(result), MsgBoxStyle::Information);
        result.written = 5;
        for (int i = 1; i <= 25; ++i)
            result.failures.append({QStringLiteral("/m/%1.eml").arg(i), QStringLiteral("gone")});
        const QString report = conversionReport(result);
        QVERIFY(report.contains(QStringLiteral("/m/20.eml: gone")) && !report.contains(QStringLiteral("/m/21.eml")));
        QVERIFY(report.contains(QStringLiteral("... and 5 more.")));
        QVERIFY(!report.contains(QStringLiteral("Successfully")));
    }

    // The engine says it in words; the window's box keeps the number it always showed.
    void noMboxNameIsNumberedInTheWindow()
    {
        SilentObserver observer;
        NoYield yielder;
        const ConversionResult result = convertMessages({QStringLiteral("/a.eml")}, QStringLiteral("/"), observer, yielder);
        QVERIFY(conversionReport(result).contains(QStringLiteral("/a.eml: 9:Subscript out of range\r\n")));
    }

    // The engine's failures in words, shown as the window's boxes always numbered them.
    void windowNumbersTheEngineFailures_data()
    {
        QTest::addColumn<FailureKind>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no mbox name") << FailureKind::NoMboxName << QStringLiteral("9:Subscript out of range");
        QTest::newRow("no such item") << FailureKind::NoSuchItem << QStringLiteral("9:Subscript out of range");
        QTest::newRow("overflow") << FailureKind::Overflow << QStringLiteral("6:Overflow");
        QTest::newRow("duplicate key") << FailureKind::DuplicateKey
                                       << QStringLiteral("457:This key is already associated with an element of this collection");
        QTest::newRow("no file system") << FailureKind::NoFileSystem
                                        << QStringLiteral("91:Object variable or With block variable not set");
        QTest::newRow("already running") << FailureKind::AlreadyRunning << QStringLiteral("10:A conversion is already running");
        QTest::newRow("unreadable keeps the reason") << FailureKind::Unreadable << QStringLiteral("75:the words");
        QTest::newRow("other is the words alone") << FailureKind::Other << QStringLiteral("the words");
    }

    void windowNumbersTheEngineFailures()
    {
        QFETCH(FailureKind, kind);
        QFETCH(QString, shown);
        QCOMPARE(windowText(kind, QStringLiteral("the words")), shown);
    }

    void failedEntriesAreNamed()
    {
        const QStringList failed{QStringLiteral("/in/x.eml"), QStringLiteral("/in/dir.eml"), QStringLiteral("/in/missing.eml")};
        const ConversionResult result = failedRun(7, 1, failed);
        QCOMPARE(conversionReportStyle(result), MsgBoxStyle::Exclamation);
        const QString report = conversionReport(result);
        QVERIFY2(report.startsWith(QStringLiteral("1 of 7 messages")), qPrintable(report));
        for (const QString &path : failed)
            QVERIFY2(report.contains(path + QStringLiteral(": ")), qPrintable(path));
    }

    void fullDiskSaysWhatWasNotTried()
    {
        ConversionResult result = failedRun(40, 12, {QStringLiteral("/in/13.eml")});
        result.stoppedBy = ENOSPC;
        result.notTried = 27;
        QVERIFY2(conversionReport(result).contains(QStringLiteral("remaining 27 messages were not tried")), qPrintable(conversionReport(result)));
    }
};

QTEST_GUILESS_MAIN(ConversionReportTest)
#include "tst_conversionreport.moc"
