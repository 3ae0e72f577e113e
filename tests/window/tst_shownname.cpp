#include "engine/run/ConversionRun.h"
#include "engine/support/FileNames.h"
#include "window/reports/ReportFile.h"
#include "engine/support/ShownName.h"
#include "window/reports/AddFolderReport.h"
#include "window/reports/ConversionReport.h"

#include <QTest>

namespace {
// A name that, shown as it is, forges a line and retitles the terminal.
const QString Forged = QStringLiteral("/m/x\nquorvel-convert: 1.eml: converted fine\n\x1b]0;pwned\a.eml");

enum class Text { ConversionBox, ConversionDetails, ConversionNotes, AddFolderBox, AddFolderDetails, ReportLine };

QString textNaming(Text which, const QString &path)
{
    ConversionResult result;
    result.total = 2;
    result.written = 1;
    result.failures.append({path, QStringLiteral("gone")});
    result.notes.append({path, QStringLiteral("cut back")});
    Collection<SkippedFolder> skipped;
    skipped.add({path, QStringLiteral("Permission denied")});
    switch (which) {
    case Text::ConversionBox: return conversionReport(result);
    case Text::ConversionDetails: return conversionReportDetails(result);
    case Text::ConversionNotes: return conversionReportNotes(result);
    case Text::AddFolderBox: return addFolderReport(1, skipped);
    case Text::AddFolderDetails: return addFolderReportDetails(1, skipped);
    case Text::ReportLine: return savedReportLine({path, {}});
    }
    return {};
}
}
Q_DECLARE_METATYPE(Text)

class ShownNameTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // As `ls -b` shows names; each shown name reads back to one name.
    void escapes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QStringLiteral("/home/ann/Mail/1.eml") << QStringLiteral("/home/ann/Mail/1.eml");
        QTest::newRow("forged lines and a terminal title")
            << Forged << QStringLiteral("/m/x\\nquorvel-convert: 1.eml: converted fine\\n\\e]0;pwned\\a.eml");
        QTest::newRow("tab and carriage return") << QStringLiteral("a\tb\r") << QStringLiteral("a\\tb\\r");
        QTest::newRow("other C0 and DEL") << QStringLiteral("a\x01z\x7f") << QStringLiteral("a\\x01z\\x7f");
        QTest::newRow("backslash, so an escape cannot be faked") << QStringLiteral("a\\nb") << QStringLiteral("a\\\\nb");
        QTest::newRow("C1 control (CSI)") << QStringLiteral("a\u009b2J") << QStringLiteral("a\\x9b2J");
        QTest::newRow("Unicode line separator") << QStringLiteral("a\u2028b") << QStringLiteral("a\\u2028b");
        QTest::newRow("pair ending in 0xDC80 stays") << QStringLiteral("\U0001F480.eml") << QStringLiteral("\U0001F480.eml");
        QTest::newRow("accents stay") << QStringLiteral("café ü.eml") << QStringLiteral("café ü.eml");
        QTest::newRow("raw byte 0x9B (CSI in 8-bit terminals)") << nameFromNative("a\x9b" "b") << QStringLiteral("a\\x9bb");
        QTest::newRow("raw Latin-1 byte stays, as on disk") << nameFromNative("caf\xe9") << nameFromNative("caf\xe9");
        QTest::newRow("NUL") << QString(QStringLiteral("a%1b")).arg(QChar(0)) << QStringLiteral("a\\x00b");
    }
    void escapes()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QCOMPARE(shownName(name), shown);
    }

    // The window's boxes and its report file give a forged name one line, as a plain one.
    void oneLineInEveryText_data()
    {
        QTest::addColumn<Text>("which");
        QTest::newRow("conversion box") << Text::ConversionBox;
        QTest::newRow("conversion details (report file)") << Text::ConversionDetails;
        QTest::newRow("conversion notes") << Text::ConversionNotes;
        QTest::newRow("add-folder box") << Text::AddFolderBox;
        QTest::newRow("add-folder details (report file)") << Text::AddFolderDetails;
        QTest::newRow("report file line") << Text::ReportLine;
    }
    void oneLineInEveryText()
    {
        QFETCH(Text, which);
        const QString forged = textNaming(which, Forged);
        QCOMPARE(forged.count(QLatin1Char('\n')), textNaming(which, QStringLiteral("/m/plain.eml")).count(QLatin1Char('\n')));
        QVERIFY(!forged.contains(QChar(0x1b)));
        QVERIFY(forged.contains(shownName(Forged)));
    }
};

QTEST_GUILESS_MAIN(ShownNameTest)
#include "tst_shownname.moc"
