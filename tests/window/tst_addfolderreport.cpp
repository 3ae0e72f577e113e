#include "engine/walk/MessagePath.h"
#include "window/reports/AddFolderReport.h"

#include <QTest>

class AddFolderReportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messagePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("lower") << "/m/a.eml" << true;
        QTest::newRow("upper") << "/m/B.EML" << true;
        QTest::newRow("mixed") << "/m/d.Eml" << true;
        QTest::newRow("trailing spaces") << "/m/a.eml  " << true;
        QTest::newRow("name is only .eml") << "/m/.eml" << true;
        QTest::newRow("bare .eml") << ".eml" << true;
        QTest::newRow("backup") << "/m/a.eml.bak" << false;
        QTest::newRow("no dot") << "/m/aeml" << false;
        QTest::newRow("short") << "eml" << false;
        QTest::newRow("tab is not trimmed") << "/m/a.eml\t" << false;
        QTest::newRow("empty") << "" << false;
    }
    void messagePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(isMessagePath(path), accepted);
    }

    void reportListsSkippedFolders_data()
    {
        QTest::addColumn<int>("skippedCount");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("lastLineOfDetails");
        QTest::newRow("none") << 0 << 1 << "7 Files Added to List." << "";
        QTest::newRow("one") << 1 << 4 << "/f1/ (Permission denied)" << "/f1/ (Permission denied)";
        QTest::newRow("twenty") << 20 << 23 << "/f20/ (Permission denied)" << "/f20/ (Permission denied)";
        QTest::newRow("twenty-one") << 21 << 24 << "... and 1 more." << "/f21/ (Permission denied)";
        QTest::newRow("many") << 125 << 24 << "... and 105 more." << "/f125/ (Permission denied)";
    }
    void reportListsSkippedFolders()
    {
        QFETCH(int, skippedCount);
        QFETCH(int, lineCount);
        QFETCH(QString, lastLine);
        Collection<SkippedFolder> skipped;
        for (int k = 1; k <= skippedCount; ++k)
            skipped.add({QStringLiteral("/f%1/").arg(k), QStringLiteral("Permission denied")});
        const QStringList lines = addFolderReport(7, skipped).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QString("7 Files Added to List."));
        QCOMPARE(lines.size(), lineCount);
        QCOMPARE(lines.last(), lastLine);

        // The details name every folder, and are empty when none was skipped.
        QFETCH(QString, lastLineOfDetails);
        const QStringList detailLines = addFolderReportDetails(7, skipped).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(detailLines.size(), skippedCount > 0 ? 2 + skippedCount : 0);
        QCOMPARE(detailLines.value(detailLines.size() - 1), lastLineOfDetails);
    }
};

QTEST_GUILESS_MAIN(AddFolderReportTest)
#include "tst_addfolderreport.moc"
