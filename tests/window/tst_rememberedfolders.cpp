#include "app/QtDialogs.h"
#include "modules/CommonDialog.h"
#include "TempTree.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
const QString SourcePrompt = QStringLiteral("Choose Source Folder...");
const QString DestinationPrompt = QStringLiteral("Choose Folder to Save...");
}

// The real dialogs open where they were last left, each its own folder, also
// in a later session; a folder gone since gives the home folder.
class RememberedFoldersTest : public QObject {
    Q_OBJECT

    QTemporaryDir settings_;
    QtDialogs dialogs_;

    // Runs one real dialog: notes the folder it opened in, picks `choose`
    // (a folder, or a file in the Open dialog) and accepts.
    QString OpensIn(const QString &dialog, const QString &choose)
    {
        QString openedIn;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            openedIn = box->directory().absolutePath();
            if (dialog == QLatin1String("open")) {
                box->setDirectory(QFileInfo(choose).path());
                box->selectFile(QFileInfo(choose).fileName());
            } else {
                box->setDirectory(choose);
            }
            QMetaObject::invokeMethod(box, "accept");
        });
        if (dialog == QLatin1String("open")) {
            CommonDialog open(dialogs_);
            open.Filter = QStringLiteral("Mac Mail Messages (*.eml)|*.eml");
            open.Flags = CommonDialog::AllowMultiSelect;
            open.MaxFileSize = 1000;
            open.ShowOpen();
            if (open.FileName != choose)
                qWarning("picked %s", qPrintable(open.FileName));
        } else {
            const QString picked = dialogs_.PickFolder(nullptr, dialog);
            if (picked != choose)
                qWarning("picked %s", qPrintable(picked));
        }
        return openedIn;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("quorvel"));
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        QSettings::setDefaultFormat(QSettings::NativeFormat);
    }
    void init() { QSettings().clear(); }

    void eachDialogItsOwnFolder_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("open dialog") << QStringLiteral("open");
        QTest::newRow("source picker") << SourcePrompt;
        QTest::newRow("destination picker") << DestinationPrompt;
    }
    void eachDialogItsOwnFolder()
    {
        QFETCH(QString, dialog);
        TempTree tree;
        const QString mine = tree.folder("mine");
        tree.file("mine/1.eml");
        const QString theirs = tree.folder("theirs");
        tree.file("theirs/2.eml");
        const auto choice = [&](const QString &folder) {
            return dialog == QLatin1String("open") ? folder + QStringLiteral("/") + QDir(folder).entryList(QDir::Files).first()
                                                    : folder;
        };
        // Every other dialog is left elsewhere.
        for (const QString &other : {QStringLiteral("open"), SourcePrompt, DestinationPrompt})
            if (other != dialog)
                OpensIn(other, other == QLatin1String("open") ? theirs + QStringLiteral("/2.eml") : theirs);

        QCOMPARE(OpensIn(dialog, choice(mine)), QDir::homePath());
        QSettings().sync();
        QCOMPARE(OpensIn(dialog, choice(mine)), mine);

        QVERIFY(QDir(mine).removeRecursively());
        QCOMPARE(OpensIn(dialog, choice(theirs)), QDir::homePath());
    }
};

QTEST_MAIN(RememberedFoldersTest)
#include "tst_rememberedfolders.moc"
