#include "CliRun.h"
#include "engine/message/ContentHash.h"
#include "engine/support/FileNames.h"
#include "TempTree.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray dated(const char *date, const QByteArray &body = "body\r\n")
{
    return "From: a@example.org\r\nDate: " + QByteArray(date) + "\r\n\r\n" + body;
}

// The message a record holds: its separator line left out, mboxrd quoting undone.
QByteArray messageOfRecord(const QByteArray &record)
{
    QByteArray message;
    const QList<QByteArray> lines = record.mid(record.indexOf('\n') + 1).split('\n');
    for (const QByteArray &line : lines) {
        qsizetype quotes = 0;
        while (quotes < line.size() && line[quotes] == '>')
            ++quotes;
        message += (quotes > 0 && line.mid(quotes).startsWith("From ") ? line.mid(1) : line) + '\n';
    }
    return message;
}

QString name(const QString &path)
{
    return path.section(QLatin1Char('/'), -2);
}

} // namespace

// One run over a small tree with every kind of line; the tests read its
// manifest and report.
class ManifestTest : public QObject {
    Q_OBJECT
    TempTree tree_;
    CliRun run_;
    QMap<QString, QJsonObject> lines_;  // by folder/file name
    QStringList order_;                 // the manifest's lines, by name
    QJsonObject report_;

private Q_SLOTS:
    void initTestCase()
    {
        tree_.file(QStringLiteral("in/A/1.eml"), dated("3 Mar 2024 10:00:00 +0000", "From here on\r\n>From there\r\n"));
        tree_.file(QStringLiteral("in/A/2.eml"), "From: a@example.org\nDate: 1 Mar 2024 10:00:00 +0000\n\nLF only\n");
        tree_.file(QStringLiteral("in/A/3.eml"), "From x@example.org Sat Mar  2 10:00:00 2024\nSubject: no Date\n\nbody\n");
        tree_.file(QStringLiteral("in/A/4.eml"), "From: a@example.org\nDate: 1 Mar 2024 10:00:00 +0000\n\nLF only\n");
        QCOMPARE(::mkfifo(nativeName(tree_.path(QStringLiteral("in/A/5.eml"))).constData(), 0600), 0);
        tree_.file(QStringLiteral("in/B/1.eml"), "no header\n");
        run_ = runCli({QStringLiteral("-v"), QStringLiteral("--order"), QStringLiteral("date"), QStringLiteral("--skip-duplicates"),
                       QStringLiteral("--relative"), QStringLiteral("-o"), tree_.path(QStringLiteral("out")),
                       QStringLiteral("--manifest"), tree_.path(QStringLiteral("m.jsonl")), QStringLiteral("--report"),
                       tree_.path(QStringLiteral("r.json")), tree_.path(QStringLiteral("in"))});
        QCOMPARE(run_.exitCode, 1);  // the FIFO failed
        const QList<QByteArray> lines = TempTree::read(tree_.path(QStringLiteral("m.jsonl"))).split('\n');
        QVERIFY(lines.last().isEmpty());
        for (const QByteArray &line : lines.first(lines.size() - 1)) {
            QJsonParseError error;
            const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            lines_.insert(name(object[QStringLiteral("path")].toString()), object);
            order_.append(name(object[QStringLiteral("path")].toString()));
        }
        report_ = QJsonDocument::fromJson(TempTree::read(tree_.path(QStringLiteral("r.json")))).object();
    }

    // Within each mbox by date, ties in list order, fallback dates included;
    // the mboxes keep their places.
    void writeOrder()
    {
        QCOMPARE(order_, (QStringList{"A/2.eml", "A/4.eml", "A/3.eml", "A/1.eml", "A/5.eml", "B/1.eml"}));
        // -v names them in the same order (the failure goes to stderr).
        QStringList named;
        for (const QByteArray &line : run_.out.split('\n'))
            if (!line.isEmpty())
                named.append(name(QString::fromUtf8(line.left(line.indexOf(' ')))));
        QCOMPARE(named, (QStringList{"A/2.eml", "A/4.eml", "A/3.eml", "A/1.eml", "B/1.eml"}));
    }

    void line_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("warnings");  // a word of each
        QTest::newRow("written, quoted lines") << "A/1.eml" << "written" << QStringList{};
        QTest::newRow("written, LF only") << "A/2.eml" << "written" << QStringList{};
        QTest::newRow("envelope date") << "A/3.eml" << "written" << QStringList{"envelope"};
        QTest::newRow("copy skipped") << "A/4.eml" << "skipped" << QStringList{};
        QTest::newRow("not a file: failed") << "A/5.eml" << "failed" << QStringList{};
        QTest::newRow("no header fields, file time") << "B/1.eml" << "written" << QStringList{"header fields", "modification time"};
    }

    void line()
    {
        QFETCH(QString, source);
        QFETCH(QString, status);
        QFETCH(QStringList, warnings);
        const QJsonObject line = lines_.value(source);
        QCOMPARE(line[QStringLiteral("status")].toString(), status);
        const QJsonArray said = line[QStringLiteral("warnings")].toArray();
        QCOMPARE(said.size(), warnings.size());
        for (qsizetype k = 0; k < warnings.size(); ++k)
            QVERIFY2(said[k].toString().contains(warnings[k]), qPrintable(said[k].toString()));

        if (status == QLatin1String("failed")) {
            QVERIFY(line[QStringLiteral("file")].isNull());
            QVERIFY(line[QStringLiteral("hash")].isNull());
            QVERIFY(!line[QStringLiteral("reason")].toString().isEmpty());
            return;
        }
        QVERIFY(line[QStringLiteral("reason")].isNull());
        const QByteArray file = TempTree::read(tree_.path(QStringLiteral("in/") + source));
        QCOMPARE(line[QStringLiteral("hash")].toString().toLatin1(), contentHashOf(file));

        // The record at the offset is this message's (for a copy, the one it copies).
        const QByteArray mbox = TempTree::read(line[QStringLiteral("file")].toString());
        const qint64 offset = line[QStringLiteral("offset")].toInteger(-1);
        qint64 length = line[QStringLiteral("length")].toInteger(-1);
        if (status == QLatin1String("skipped")) {
            QVERIFY(line[QStringLiteral("length")].isNull());
            const QJsonObject copied = lines_.value(QStringLiteral("A/2.eml"));
            QCOMPARE(offset, copied[QStringLiteral("offset")].toInteger());
            length = copied[QStringLiteral("length")].toInteger();
        }
        QVERIFY(offset >= 0 && length > 0 && offset + length <= mbox.size());
        const QByteArray record = mbox.mid(offset, length);
        QVERIFY(record.startsWith("From "));
        QVERIFY(offset + length == mbox.size() || mbox.mid(offset + length).startsWith("From "));
        QCOMPARE(contentHashOf(messageOfRecord(record)), contentHashOf(file));
    }

    void folderTotals()
    {
        struct Expected {
            const char *mbox;
            int written, skipped, failed;
        };
        const QList<Expected> expected{{"out/in/A/A.mbox", 3, 1, 1}, {"out/in/B/B.mbox", 1, 0, 0}};
        const QJsonArray folders = report_[QStringLiteral("folders")].toArray();
        QCOMPARE(folders.size(), expected.size());
        for (qsizetype k = 0; k < expected.size(); ++k) {
            const QJsonObject folder = folders[k].toObject();
            const QString mbox = tree_.path(QString::fromLatin1(expected[k].mbox));
            QCOMPARE(folder[QStringLiteral("path")].toString(), mbox);
            QCOMPARE(folder[QStringLiteral("written")].toInt(), expected[k].written);
            QCOMPARE(folder[QStringLiteral("skipped")].toInt(), expected[k].skipped);
            QCOMPARE(folder[QStringLiteral("failed")].toInt(), expected[k].failed);
            QCOMPARE(folder[QStringLiteral("bytes")].toInteger(), QFileInfo(mbox).size());  // a new mbox: all of it this run's
        }
    }

    // A message of an mbox keeps its separator line, and so its date: the
    // manifest, the record and the maildir file all say the separator's date,
    // not the Date field's.
    void mboxMessageDatedBySeparator_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::newRow("mbox") << QStringList{"--relative"};
        QTest::newRow("maildir") << QStringList{"--layout", "maildir", "--relative"};
    }
    void mboxMessageDatedBySeparator()
    {
        QFETCH(QStringList, layout);
        TempTree tree;
        const QByteArray separator = "From ann@example.org Mon Jan  1 12:00:00 2024";
        const QString source = tree.file(QStringLiteral("Old.mbox"), separator + "\nFrom: ann@example.org\nDate: Sat, 1 Jan 2000 00:00:00 +0000\n\nbody\n\n");
        const CliRun run = runCli(layout + QStringList{source, "-o", tree.path(QStringLiteral("out")), "--manifest", tree.path(QStringLiteral("m.jsonl"))});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject line = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("m.jsonl"))).trimmed()).object();
        QCOMPARE(line[QStringLiteral("date")].toString(), QStringLiteral("2024-01-01T12:00:00Z"));
        QCOMPARE(line[QStringLiteral("warnings")].toArray().size(), 0);
        const QString file = line[QStringLiteral("file")].toString();
        if (file.endsWith(QLatin1String(".mbox")))
            QVERIFY(TempTree::read(file).startsWith(separator + "\r\n"));
        else
            QVERIFY2(file.section(QLatin1Char('/'), -1).startsWith(QString::number(QDateTime(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch())), qPrintable(file));
    }

    // A manifest in the place of a message or an mbox of the run is refused
    // before anything is written.
    void refused_data()
    {
        QTest::addColumn<QString>("manifest");
        QTest::newRow("a message") << "in/A/1.eml";
        QTest::newRow("an mbox of the run") << "out/in/A/A.mbox";
        QTest::newRow("the report") << "r.json";
    }

    void refused()
    {
        QFETCH(QString, manifest);
        const QString path = tree_.path(manifest);
        const QByteArray before = TempTree::read(path);
        const qint64 mboxSize = QFileInfo(tree_.path(QStringLiteral("out/in/A/A.mbox"))).size();
        const CliRun run = runCli({QStringLiteral("--relative"), QStringLiteral("-o"), tree_.path(QStringLiteral("out")),
                                   QStringLiteral("--manifest"), path, QStringLiteral("--report"),
                                   tree_.path(QStringLiteral("r.json")), tree_.path(QStringLiteral("in"))});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(TempTree::read(path), before);
        QCOMPARE(QFileInfo(tree_.path(QStringLiteral("out/in/A/A.mbox"))).size(), mboxSize);
    }
};

QTEST_GUILESS_MAIN(ManifestTest)
#include "tst_manifest.moc"
