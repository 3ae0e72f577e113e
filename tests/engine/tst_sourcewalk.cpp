#include "engine/source/SourceWalk.h"
#include "engine/support/Yielder.h"
#include "TempTree.h"

#include <QTest>

namespace {
const QByteArray Message = "From: a@x.org\nSubject: s\n\nbody\n";
const QByteArray Mbox = "From a@x.org Mon Jan  1 00:00:00 2024\nSubject: s\n\nbody\n";
}

class SourceWalkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each file below one source as what it is, and the folder it is shown in.
    void everyKindInOneWalk()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail/Saved/a.eml"), Message);
        tree.file(QStringLiteral("Mail/Maildir/cur/1.host:2,S"), Message);
        tree.file(QStringLiteral("Mail/Maildir/new/2.host"), Message);
        tree.file(QStringLiteral("Mail/Maildir/tmp/3.host"), Message);
        tree.file(QStringLiteral("Mail/Maildir/dovecot-uidlist"), "3 V1 N4\n");
        tree.file(QStringLiteral("Mail/Maildir/.Archive.2024/cur/4.host:2,"), Message);
        tree.folder(QStringLiteral("Mail/Maildir/.Archive.2024/new"));
        tree.file(QStringLiteral("Mail/Maildir/.Entw&APw-rfe/cur/5.host:2,D"), Message);
        tree.folder(QStringLiteral("Mail/Maildir/.Entw&APw-rfe/new"));
        tree.file(QStringLiteral("Mail/Apple/Work.mbox/ID/Data/Messages/7.emlx"), "5\nabcde");
        tree.file(QStringLiteral("Mail/Apple/Work.mbox/ID/Data/Messages/7.partial.emlx"), "5\nabcde");
        tree.file(QStringLiteral("Mail/Apple/Work.mbox/ID/Data/Messages/8.partial.emlx"), "5\nabcde");
        tree.file(QStringLiteral("Mail/Apple/Work/Clients.mbox/ID/Data/Messages/9.emlx"), "5\nabcde");
        tree.file(QStringLiteral("Mail/Export/Old.mbox/mbox"), Mbox);
        tree.file(QStringLiteral("Mail/Export/Old.mbox/Info.plist"), "<plist/>");
        tree.file(QStringLiteral("Mail/Inbox"), Mbox);
        tree.file(QStringLiteral("Mail/notes.txt"), "remember\n");
        cur_ = tree.root().size() + 1;

        NoYield yielder;
        const TypedListing listing = listTypedSources({tree.path(QStringLiteral("Mail"))}, yielder);
        QStringList found;
        for (const SourceFile &file : listing.files) {
            QCOMPARE(file.namePath.mid(file.nameStart).section(QLatin1Char('/'), 0, 0), QStringLiteral("Mail"));
            found << kindName(file.kind) + QLatin1Char(' ') + file.namePath.mid(cur_);
        }
        found.sort();
        QCOMPARE(found, (QStringList{
            "eml Mail/Saved/a.eml",
            "emlx Mail/Apple/Work/7.emlx",
            "emlx Mail/Apple/Work/Clients/9.emlx",
            "maildir Mail/Maildir/1.host:2,S",
            "maildir Mail/Maildir/2.host",
            "maildir Mail/Maildir/Archive/2024/4.host:2,",
            QStringLiteral("maildir Mail/Maildir/Entwürfe/5.host:2,D"),
            "mbox Mail/Export/Old/mbox",
            "mbox Mail/Inbox/mbox",
            "partial emlx Mail/Apple/Work/8.partial.emlx",
        }));
        QStringList leftOut;
        for (const LeftOutFile &file : listing.leftOut)
            leftOut << file.path.mid(cur_);
        leftOut.sort();
        QCOMPARE(leftOut, (QStringList{"Mail/Export/Old.mbox/Info.plist", "Mail/Maildir/dovecot-uidlist",
                                       "Mail/Maildir/tmp/3.host", "Mail/notes.txt"}));
    }

    void aMaildirGivenAsTheSourceIsItsOwnFolder()
    {
        TempTree tree;
        tree.file(QStringLiteral("Maildir/cur/1.host:2,S"), Message);
        tree.folder(QStringLiteral("Maildir/new"));
        tree.file(QStringLiteral("Maildir/.Sent/cur/2.host:2,S"), Message);
        tree.folder(QStringLiteral("Maildir/.Sent/new"));
        NoYield yielder;
        const TypedListing listing = listTypedSources({tree.path(QStringLiteral("Maildir"))}, yielder);
        QCOMPARE(listing.files.size(), 2);
        QCOMPARE(listing.files[0].namePath.mid(listing.files[0].nameStart), QStringLiteral("Maildir/1.host:2,S"));
        QCOMPARE(listing.files[1].namePath.mid(listing.files[1].nameStart), QStringLiteral("Maildir/Sent/2.host:2,S"));
    }

private:
    qsizetype cur_ = 0;
};

QTEST_GUILESS_MAIN(SourceWalkTest)
#include "tst_sourcewalk.moc"
