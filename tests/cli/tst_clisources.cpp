#include "CliRun.h"
#include "TempTree.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QByteArray Message = "From: a@x.org\nDate: Tue, 5 Mar 2024 10:00:00 +0000\nSubject: s\n\nbody\n>From quoted\n";

// The files of a maildir folder: "cur/name-without-unique-part:2,FLAGS" -> contents, for comparing two maildirs.
QMap<QString, QByteArray> maildirMessages(const QString &folder)
{
    QMap<QString, QByteArray> found;
    for (const QString &sub : {QStringLiteral("cur"), QStringLiteral("new")}) {
        const QDir dir(folder + QLatin1Char('/') + sub);
        for (const QString &name : dir.entryList(QDir::Files)) {
            const QByteArray bytes = TempTree::read(dir.filePath(name));
            const QByteArray subject = bytes.mid(bytes.indexOf("Subject:"));
            found.insert(QString::fromUtf8(subject.left(subject.indexOf('\n'))) + QLatin1Char(' ') + sub + ' ' + name.section(QStringLiteral(":2,"), 1),
                         bytes);
        }
    }
    return found;
}

} // namespace

class CliSourcesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A maildir converted to a maildir: the same texts, the same flags, the same folders.
    void maildirToMaildir()
    {
        TempTree tree;
        tree.file(QStringLiteral("Maildir/cur/1.host:2,RS"), QByteArray(Message).replace("Subject: s", "Subject: one"));
        tree.file(QStringLiteral("Maildir/new/2.host"), QByteArray(Message).replace("Subject: s", "Subject: two"));
        tree.file(QStringLiteral("Maildir/.Sent/cur/3.host:2,FS"), QByteArray(Message).replace("Subject: s", "Subject: three"));
        tree.folder(QStringLiteral("Maildir/.Sent/new"));
        tree.file(QStringLiteral("Maildir/tmp/4.host"), Message);
        const CliRun run = runCli({QStringLiteral("Maildir"), QStringLiteral("--layout"), QStringLiteral("maildir"),
                                   QStringLiteral("--relative"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(run.err.contains("1 file left out"), run.err.constData());  // the one in tmp/
        const auto inbox = maildirMessages(tree.path(QStringLiteral("out/.Maildir")));
        QCOMPARE(inbox.keys(), (QStringList{"Subject: one cur RS", "Subject: two new "}));
        QCOMPARE(inbox.first(), TempTree::read(tree.path(QStringLiteral("Maildir/cur/1.host:2,RS"))));
        QCOMPARE(maildirMessages(tree.path(QStringLiteral("out/.Maildir.Sent"))).keys(), QStringList{"Subject: three cur FS"});
    }

    // Apple Mail's flags in Thunderbird's status lines, a maildir's as Status: fields with --keep-flags.
    void flagsInTheClientLayouts()
    {
        TempTree tree;
        const QByteArray plist = "<?xml version=\"1.0\"?><plist><dict><key>flags</key><integer>5</integer></dict></plist>";
        tree.file(QStringLiteral("Box.mbox/ID/Data/Messages/1.emlx"), QByteArray::number(Message.size()) + "\n" + Message + plist);
        CliRun run = runCli({QStringLiteral("Box.mbox"), QStringLiteral("--layout"), QStringLiteral("thunderbird"),
                             QStringLiteral("-o"), QStringLiteral("tb")}, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray box = TempTree::read(tree.path(QStringLiteral("tb/Mail/Local Folders/Box")));
        QVERIFY2(box.contains("\nX-Mozilla-Status: 0003\nX-Mozilla-Status2: 00000000\nFrom: a@x.org\n"), box.constData());

        tree.file(QStringLiteral("Maildir/cur/1.host:2,FRS"), Message);
        tree.folder(QStringLiteral("Maildir/new"));
        run = runCli({QStringLiteral("Maildir"), QStringLiteral("--keep-flags"), QStringLiteral("--line-endings"), QStringLiteral("lf"),
                      QStringLiteral("--single"), QStringLiteral("flags.mbox")}, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(TempTree::read(tree.path(QStringLiteral("flags.mbox"))).contains(" 2024\nStatus: RO\nX-Status: AF\nFrom: a@x.org\n"));
    }

    // What each source was taken as, and --only eml as the window lists.
    void kindsAreNamed()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail/a.eml"), Message);
        tree.file(QStringLiteral("Mail/Old"), "From a@x.org Tue Mar  5 10:00:00 2024\n" + Message + "\nFrom b@x.org Wed Mar  6 10:00:00 2024\n" + Message + "\n");
        tree.file(QStringLiteral("Mail/notes.txt"), "remember\n");
        CliRun run = runCli({QStringLiteral("Mail"), QStringLiteral("-n"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--relative")}, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray root = QFile::encodeName(tree.root());
        QCOMPARE(run.out, root + "/Mail/a.eml -> " + root + "/out/Mail/Mail.mbox\n"
                          + root + "/Mail/Old (mbox, at byte 38) -> " + root + "/out/Mail/Old/Old.mbox\n"
                          + root + "/Mail/Old (mbox, at byte " + QByteArray::number(38 + Message.size() + 1 + 38) + ") -> " + root + "/out/Mail/Old/Old.mbox\n");

        run = runCli({QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--report"), QStringLiteral("r.json")}, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject report = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("r.json")))).object();
        QCOMPARE(report[QStringLiteral("sources")].toObject().toVariantMap(), (QVariantMap{{"eml", 1}, {"mbox", 2}}));
        QCOMPARE(report[QStringLiteral("left_out")].toArray().size(), 1);

        run = runCli({QStringLiteral("Mail"), QStringLiteral("-n"), QStringLiteral("--only"), QStringLiteral("eml"),
                      QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.out.count('\n'), 1);
        QVERIFY(!run.err.contains("left out"));
    }

    // Messages of mbox and Apple Mail files are verified like .eml files, in
    // every layout, and a changed byte names the message by its place.
    void everyKindVerifies_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::newRow("mbox") << QStringList{QStringLiteral("--relative")};
        QTest::newRow("LF mbox") << QStringList{QStringLiteral("--relative"), QStringLiteral("--line-endings"), QStringLiteral("lf")};
        QTest::newRow("thunderbird") << QStringList{QStringLiteral("--layout"), QStringLiteral("thunderbird")};
        QTest::newRow("maildir") << QStringList{QStringLiteral("--layout"), QStringLiteral("maildir")};
    }
    void everyKindVerifies()
    {
        QFETCH(QStringList, layout);
        TempTree tree;
        const QByteArray second = QByteArray(Message).replace("Subject: s", "Subject: t\nContent-Length: 9");
        const QByteArray old = "From a@x.org Tue Mar  5 10:00:00 2024\r\n" + QByteArray(Message).replace("\n", "\r\n")
                               + "\r\nFrom b@x.org Wed Mar  6 10:00:00 2024\n" + second + "\n";
        tree.file(QStringLiteral("Mail/Old"), old);
        const QByteArray plist = "<?xml version=\"1.0\"?><plist><dict><key>flags</key><integer>1</integer></dict></plist>";
        tree.file(QStringLiteral("Mail/Box.mbox/ID/Data/Messages/1.emlx"), QByteArray::number(Message.size()) + "\n" + Message + plist);
        const QByteArray partial = "From: a@x.org\nContent-Type: multipart/mixed; boundary=b\n\n--b\n\ntext\n--b\n"
                                   "Content-Type: text/plain; name=a.txt\nContent-Transfer-Encoding: quoted-printable\n"
                                   "X-Apple-Content-Length: 3\n\n--b--\n";
        tree.file(QStringLiteral("Mail/Box.mbox/ID/Data/Messages/2.partial.emlx"), QByteArray::number(partial.size()) + "\n" + partial + plist);
        tree.file(QStringLiteral("Mail/Box.mbox/ID/Data/Attachments/2/2/a.txt"), "\xc3\xa9t\xc3\xa9\n");
        const QStringList output = layout + QStringList{QStringLiteral("-o"), QStringLiteral("out")};
        CliRun run = runCli(QStringList{QStringLiteral("Mail"), QStringLiteral("--verify")} + output, tree.root());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(run.err.contains("verified 4 of 4"), run.err.constData());

        if (layout.contains(QStringLiteral("maildir")))
            return;
        const QString written = layout.contains(QStringLiteral("thunderbird")) ? QStringLiteral("out/Mail/Local Folders/Mail.sbd/Old")
                                                                              : QStringLiteral("out/Mail/Old/Old.mbox");
        QByteArray mbox = TempTree::read(tree.path(written));
        mbox.replace("Subject: t", "Subject: u");
        tree.file(written, mbox);
        run = runCli(QStringList{QStringLiteral("Mail"), QStringLiteral("--verify-only")} + output, tree.root());
        QCOMPARE(run.exitCode, 1);
        const qsizetype secondAt = old.indexOf("From b@x.org") + 38;
        QVERIFY2(run.err.contains("Mail/Old: verify: changed: its message at byte " + QByteArray::number(secondAt) + ": "), run.err.constData());
        QVERIFY2(run.err.contains("verified 3 of 4"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(CliSourcesTest)
#include "tst_clisources.moc"
