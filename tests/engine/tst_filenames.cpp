#include "engine/support/FileNames.h"

#include <QTest>

class FileNamesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("/Mail/Inbox/1.eml") << QStringLiteral("/Mail/Inbox/1.eml");
        QTest::newRow("utf-8") << QByteArray("/M\xC3\xA9l/\xE2\x82\xAC.eml") << QStringLiteral("/Mél/€.eml");
        QTest::newRow("outside the BMP") << QByteArray("\xF0\x9F\x93\xA7.eml") << QString::fromUcs4(U"\U0001F4E7.eml");
        QTest::newRow("latin-1 byte") << QByteArray("dir\xFE") << (QStringLiteral("dir") + QChar(0xDCFE));
        QTest::newRow("0xFF") << QByteArray("\xFF.eml") << (QChar(0xDCFF) + QStringLiteral(".eml"));
        QTest::newRow("truncated sequence") << QByteArray("a\xE2\x82") << (QStringLiteral("a") + QChar(0xDCE2) + QChar(0xDC82));
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << (QString(QChar(0xDCC0)) + QChar(0xDCAF));
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB3\xBF")
                                           << (QString(QChar(0xDCED)) + QChar(0xDCB3) + QChar(0xDCBF));
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80")
                                       << (QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80));
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(nameFromNative(bytes), text);
        QCOMPARE(nativeName(text), bytes);
    }

    void everyByteSurvives()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(nativeName(nameFromNative(all)), all);
    }
};

QTEST_GUILESS_MAIN(FileNamesTest)
#include "tst_filenames.moc"
