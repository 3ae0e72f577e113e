#include "app/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The real message boxes: buttons, default button and icon per style.
class QtDialogsTest : public QObject {
    Q_OBJECT

    // Answers the box that is about to open with a key, once it is up.
    void pressWhenShown(Qt::Key key, QMessageBox **seen)
    {
        QTimer::singleShot(0, this, [key, seen] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            *seen = box;
            QTest::keyClick(box, key);
        });
    }

private Q_SLOTS:
    void enterAnswersYesOnTheQuestionBox()
    {
        QtDialogs dialogs;
        QMessageBox *seen = nullptr;
        pressWhenShown(Qt::Key_Return, &seen);
        QCOMPARE(dialogs.MsgBox(QStringLiteral("Are you sure you want to exit now?"), 36, QStringLiteral("Quorvel")), 6);
    }

    void escapeAnswersNo()
    {
        QtDialogs dialogs;
        QMessageBox *seen = nullptr;
        pressWhenShown(Qt::Key_Escape, &seen);
        QCOMPARE(dialogs.MsgBox(QStringLiteral("Proceed?"), 36, QStringLiteral("Quorvel")), 7);
    }

    void styles_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon");
        QTest::newRow("plain") << 0 << int(QMessageBox::NoIcon);
        QTest::newRow("warning") << 48 << int(QMessageBox::Warning);
        QTest::newRow("information") << 64 << int(QMessageBox::Information);
    }
    void styles()
    {
        QFETCH(int, style);
        QFETCH(int, icon);
        QtDialogs dialogs;
        QMessageBox *seen = nullptr;
        int buttons = -1;
        int iconKind = -1;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            seen = box;
            buttons = int(box->buttons().size());
            iconKind = int(box->icon());
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(dialogs.MsgBox(QStringLiteral("text"), style, QStringLiteral("Quorvel")), 1);
        QVERIFY(seen);
        QCOMPARE(buttons, 1);
        QCOMPARE(iconKind, icon);
    }
};

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
