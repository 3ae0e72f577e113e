#include "engine/support/FileNames.h"
#include "TempTree.h"
#include "window/dialogs/LossyName.h"

#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class LossyNameTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The dialogs hand back what QFile::decodeName makes of the real bytes.
    void pathFromLossyName_data()
    {
        QTest::addColumn<QByteArrayList>("made");  // folders; names ending in ".eml" are files
        QTest::addColumn<QByteArray>("picked");
        QTest::addColumn<bool>("recovered");
        QTest::newRow("folder") << QByteArrayList{"dir\xFE"} << QByteArray("dir\xFE") << true;
        QTest::newRow("file in such a folder") << QByteArrayList{"dir\xFE", "dir\xFE/\xFF.eml"}
                                               << QByteArray("dir\xFE/\xFF.eml") << true;
        QTest::newRow("two names read the same") << QByteArrayList{"a\xFE", "a\xFF"} << QByteArray("a\xFE") << false;
        QTest::newRow("no such entry") << QByteArrayList{"dir\xFE"} << QByteArray("gone\xFE") << false;
    }
    void pathFromLossyName()
    {
        QFETCH(QByteArrayList, made);
        QFETCH(QByteArray, picked);
        QFETCH(bool, recovered);
        TempTree tree;
        const QByteArray root = tree.root().toLatin1() + '/';
        for (const QByteArray &name : made) {
            const QByteArray path = root + name;
            if (name.endsWith(".eml"))
                QVERIFY(::close(::open(path.constData(), O_WRONLY | O_CREAT, 0644)) == 0);
            else
                QVERIFY(::mkdir(path.constData(), 0755) == 0);
        }
        const QString returned = QFile::decodeName(root + picked);
        QCOMPARE(::pathFromLossyName(returned), recovered ? nameFromNative(root + picked) : returned);
    }
};

QTEST_GUILESS_MAIN(LossyNameTest)
#include "tst_lossyname.moc"
