#include "TempTree.h"
#include "window/dialogs/OpenDialog.h"
#include "window/dialogs/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QSettings>
#include <QTest>
#include <QTimer>

// The real dialogs open where they were last left, each its own folder, kept
// in the settings; a folder gone since gives the home folder.
class RememberedFoldersTest : public QObject {
    Q_OBJECT
    QTemporaryDir settings_;
    QtDialogs dialogs_;

    // Runs one real dialog: notes the folder it opened in, picks `folder`
    // (in the Open dialog, its file 1.eml) and accepts.
    QString opensIn(const QString &dialog, const QString &folder)
    {
        QString openedIn;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            openedIn = box->directory().absolutePath();
            box->setDirectory(folder);
            if (dialog.isEmpty())
                box->selectFile(QStringLiteral("1.eml"));
            // A dialog that refuses the choice asks in a box of its own: that is
            // closed and the dialog cancelled, so the check fails, never hangs.
            QTimer::singleShot(0, box, [box] {
                if (QWidget *refusal = QApplication::activeModalWidget(); refusal && refusal != box) {
                    refusal->close();
                    box->reject();
                }
            });
            QMetaObject::invokeMethod(box, "accept");
        });
        if (dialog.isEmpty()) {
            OpenDialog open(dialogs_);
            open.Filter = QStringLiteral("Mac Mail Messages (*.eml)|*.eml");
            open.showOpen();
        } else {
            dialogs_.pickFolder(nullptr, dialog);
        }
        return openedIn;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("quorvel"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    }

    void eachDialogItsOwnFolder_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("open dialog") << QString();
        QTest::newRow("source picker") << QStringLiteral("Choose Source Folder...");
        QTest::newRow("destination picker") << QStringLiteral("Choose Folder to Save...");
    }
    void eachDialogItsOwnFolder()
    {
        QFETCH(QString, dialog);
        QSettings().clear();
        TempTree tree;
        const QString mine = QFileInfo(tree.file("mine/1.eml")).path();
        const QString theirs = QFileInfo(tree.file("theirs/1.eml")).path();
        for (const QString &other : {QString(), QStringLiteral("Choose Source Folder..."), QStringLiteral("Choose Folder to Save...")})
            if (other != dialog)
                opensIn(other, theirs);

        QCOMPARE(opensIn(dialog, mine), QDir::homePath());
        QCOMPARE(opensIn(dialog, mine), mine);
        QVERIFY(QDir(mine).removeRecursively());
        QCOMPARE(opensIn(dialog, theirs), QDir::homePath());
    }
};

QTEST_MAIN(RememberedFoldersTest)
#include "tst_rememberedfolders.moc"
