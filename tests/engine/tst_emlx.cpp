#include "engine/source/EmlxFile.h"
#include "engine/source/MimeParts.h"
#include "engine/source/PartialEmlx.h"
#include "TempTree.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTest>

namespace {

QByteArray emlx(const QByteArray &message, const QByteArray &propertyList)
{
    return QByteArray::number(message.size()) + "        \n" + message + propertyList;
}

QByteArray propertyList(const QByteArray &flags)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>date-received</key>\n\t<integer>1700000000</integer>\n"
           "\t<key>flags</key>\n\t<integer>" + flags + "</integer>\n</dict>\n</plist>\n";
}

// A message of three parts, the second and third left out by Apple Mail.
QByteArray partialMessage(const char *lineEnd)
{
    QByteArray text = "From: a@x.org\nSubject: two files\nMIME-Version: 1.0\n"
                      "Content-Type: multipart/mixed; boundary=\"b1\"\n\n"
                      "--b1\nContent-Type: text/plain; charset=utf-8\n\nSee the files.\n"
                      "--b1\nContent-Type: application/pdf; name=\"r\xc3\xa9sum\xc3\xa9.pdf\"\n"
                      "Content-Disposition: attachment; filename=\"r\xc3\xa9sum\xc3\xa9.pdf\"\n"
                      "Content-Transfer-Encoding: base64\nX-Apple-Content-Length: 4000\n\n"
                      "--b1\nContent-Type: text/plain; charset=utf-8; name=\"na\xc3\xafve.txt\"\n"
                      "Content-Disposition: attachment; filename=\"na\xc3\xafve.txt\"\n"
                      "Content-Transfer-Encoding: quoted-printable\nX-Apple-Content-Length: 300\n\n"
                      "--b1--\n";
    return text.replace("\n", lineEnd);
}

// What Python's email package decodes from each attachment: "name sha256" lines.
QByteArray decodedAttachments(const QByteArray &message)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(
        "import email, email.policy, hashlib, sys\n"
        "m = email.message_from_bytes(sys.stdin.buffer.read(), policy=email.policy.default)\n"
        "for p in m.iter_attachments():\n"
        "    print(p.get_filename(), hashlib.sha256(p.get_payload(decode=True)).hexdigest())\n")});
    python.write(message);
    python.closeWriteChannel();
    python.waitForFinished();
    return python.readAllStandardOutput();
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace

class EmlxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageEndsWhereItsLengthSays_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("length");  // -1: refused
        QTest::addColumn<bool>("seen");
        const QByteArray message = "Subject: hi\n\nbody\n";
        const QByteArray withXml = "Subject: xml\n\n<?xml version=\"1.0\"?>\n<plist><dict><key>flags</key><integer>0</integer></dict></plist>\n";
        QTest::newRow("message and property list") << emlx(message, propertyList("1")) << qint64(message.size()) << true;
        QTest::newRow("XML inside the message") << emlx(withXml, propertyList("1")) << qint64(withXml.size()) << true;
        QTest::newRow("no property list") << emlx(message, {}) << qint64(message.size()) << false;
        QTest::newRow("length past the end") << QByteArray("500\nSubject: hi\n\nbody\n") << qint64(-1) << false;
        QTest::newRow("no length line") << QByteArray("Subject: hi\n\nbody\n") << qint64(-1) << false;
        QTest::newRow("empty file") << QByteArray() << qint64(-1) << false;
    }

    void messageEndsWhereItsLengthSays()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, length);
        QFETCH(bool, seen);
        TempTree tree;
        const QString path = tree.file(QStringLiteral("Messages/1.emlx"), file);
        const EmlxFile emlxFile = EmlxFile::open(path);
        QCOMPARE(emlxFile.failure.isEmpty(), length >= 0);
        if (length < 0)
            return;
        QCOMPARE(emlxFile.messageLength, length);
        QCOMPARE(file.mid(emlxFile.messageOffset, length), file.mid(file.indexOf('\n') + 1, length));
        QVERIFY(file.mid(emlxFile.messageOffset, length).endsWith("\n") && !file.mid(emlxFile.messageOffset + length).contains("Subject"));
        QCOMPARE(emlxFile.flags.seen, seen);  // from the property list after the message, never one inside it
    }

    void flagBits_data()
    {
        QTest::addColumn<qint64>("bits");
        QTest::addColumn<MessageFlags>("flags");
        QTest::newRow("none") << qint64(0) << MessageFlags{};
        QTest::newRow("read") << qint64(1) << MessageFlags{.seen = true};
        QTest::newRow("deleted") << qint64(2) << MessageFlags{.deleted = true};
        QTest::newRow("answered") << qint64(4) << MessageFlags{.answered = true};
        QTest::newRow("flagged") << qint64(16) << MessageFlags{.flagged = true};
        QTest::newRow("draft") << qint64(64) << MessageFlags{.draft = true};
        QTest::newRow("forwarded") << qint64(256) << MessageFlags{.forwarded = true};
        QTest::newRow("read, answered, high bits") << qint64(5 | (1 << 20)) << MessageFlags{.seen = true, .answered = true};
    }

    void flagBits()
    {
        QFETCH(qint64, bits);
        QFETCH(MessageFlags, flags);
        QCOMPARE(EmlxFile::flagsFrom(bits), flags);
        QCOMPARE(EmlxFile::flagsIn(propertyList(QByteArray::number(bits))), bits);
    }

    void partNumbersAsImapGivesThem_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("single part") << QByteArray("Subject: a\n\nbody\n") << QStringList{"1"};
        QTest::newRow("nested alternative") << QByteArray(
            "Content-Type: multipart/mixed; boundary=o\n\n--o\nContent-Type: multipart/alternative; boundary=\"i\"\n\n"
            "--i\n\nplain\n--i\nContent-Type: text/html\n\n<p>html</p>\n--i--\n--o\nContent-Type: image/png\n\nPNG\n--o--\n")
            << QStringList{"1.1", "1.2", "2"};
        QTest::newRow("attached message") << QByteArray(
            "Content-Type: multipart/mixed; boundary=o\n\n--o\n\ntext\n--o\nContent-Type: message/rfc822\n\n"
            "Content-Type: multipart/mixed; boundary=m\n\n--m\n\ninner\n--m\nContent-Type: text/csv\n\na,b\n--m--\n--o--\n")
            << QStringList{"1", "2.1", "2.2"};
        QTest::newRow("boundary text inside a line is no delimiter") << QByteArray(
            "Content-Type: multipart/mixed; boundary=o\n\n--o\n\nsee --o here\n--o\n\nsecond\n--o--\n")
            << QStringList{"1", "2"};
    }

    void partNumbersAsImapGivesThem()
    {
        QFETCH(QByteArray, message);
        QFETCH(QStringList, numbers);
        QStringList found;
        for (const MimePart &part : mimeLeafParts(message))
            found << part.number;
        QCOMPARE(found, numbers);
    }

    void partialMessageGetsItsAttachmentsBack_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR LF") << QByteArray("\r\n");
    }

    void partialMessageGetsItsAttachmentsBack()
    {
        QFETCH(QByteArray, lineEnd);
        TempTree tree;
        QByteArray pdf;
        for (int i = 0; i < 4000; ++i)
            pdf += char((i * 7919) & 0xFF);
        const QByteArray text = "caf\xc3\xa9 = 100%\r\nline two ends in a blank \nand a long line " + QByteArray(120, 'x') + "\n";
        tree.file(QStringLiteral("Box.mbox/Data/Attachments/7/2/r\xc3\xa9sum\xc3\xa9.pdf"), pdf);
        tree.file(QStringLiteral("Box.mbox/Data/Attachments/7/3/na\xc3\xafve.txt"), text);
        const QString emlxPath = tree.path(QStringLiteral("Box.mbox/Data/Messages/7.partial.emlx"));
        const QString folder = attachmentsFolderOf(emlxPath);
        QCOMPARE(folder, tree.path(QStringLiteral("Box.mbox/Data/Attachments/7")));

        const QByteArray message = partialMessage(lineEnd.constData());
        const RestoredMessage restored = restorePartialMessage(message, folder);
        QVERIFY2(restored.failure.isEmpty(), qPrintable(restored.failure));
        QCOMPARE(restored.missingParts, QStringList());
        QCOMPARE(decodedAttachments(restored.bytes),
                 "r\xc3\xa9sum\xc3\xa9.pdf " + sha256(pdf) + "\nna\xc3\xafve.txt " + sha256(text) + "\n");
        // Everything but the two bodies is as it was.
        QVERIFY(restored.bytes.startsWith(message.left(message.indexOf("X-Apple-Content-Length"))));
        QVERIFY(restored.bytes.endsWith(lineEnd + "--b1--" + lineEnd));

        QVERIFY(QFile::remove(tree.path(QStringLiteral("Box.mbox/Data/Attachments/7/3/na\xc3\xafve.txt"))));
        const RestoredMessage incomplete = restorePartialMessage(message, folder);
        QCOMPARE(incomplete.missingParts, QStringList{"3"});
        QVERIFY(incomplete.bytes.endsWith(message.mid(message.lastIndexOf("--b1" + lineEnd + "Content-Type: text/plain; charset=utf-8; name"))));
    }
};

QTEST_GUILESS_MAIN(EmlxTest)
#include "tst_emlx.moc"
