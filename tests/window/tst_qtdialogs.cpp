#include "app/QtDialogs.h"
#include "app/ScreenFit.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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

    // Seen: a box of long skipped folders 1,262 px high on a 1,024 px screen,
    // its button off-screen. Long lines are shortened in the box, whole in the details.
    void longListFitsTheScreen_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("names with spaces") << QStringLiteral("Archived mail from the old server ").repeated(12);
        QTest::newRow("names without spaces") << QStringLiteral("ArchivedMailFromTheOldServer").repeated(12);
    }
    void longListFitsTheScreen()
    {
        QFETCH(QString, folderName);
        QStringList lines{QStringLiteral("1 of 22 messages were exported to .mbox format."), QString(),
                          QStringLiteral("Not exported:")};
        for (int i = 1; i <= 20; ++i)
            lines << QStringLiteral("/home/ann/%1/%2/%3.eml: No such file or directory").arg(folderName).arg(i).arg(i);
        lines << QStringLiteral("... and 1 more.") << QString()
              << QStringLiteral("The complete report is in /home/ann/.local/state/quorvel/conversion-2026-12-07T10-45-12.txt");
        const QString details = lines.mid(3, 20).join(QLatin1Char('\n')) + QLatin1Char('\n');
        QtDialogs dialogs;
        QRect available, collapsed, expanded;
        QString shownDetails;
        Qt::TextInteractionFlags flags;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            available = box->screen()->availableGeometry();
            QTRY_VERIFY(box->isVisible());
            collapsed = box->frameGeometry();
            shownDetails = box->detailedText();
            flags = box->textInteractionFlags();
            for (QAbstractButton *button : box->findChildren<QAbstractButton *>())
                if (box->buttonRole(button) == QMessageBox::ActionRole)
                    button->click();
            expanded = box->frameGeometry();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(dialogs.MsgBoxWithDetails(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), 48,
                                           QStringLiteral("Quorvel"), details), 1);
        QVERIFY(!available.isEmpty());
        QVERIFY2(collapsed.height() <= available.height() && collapsed.width() <= available.width(),
                 qPrintable(QStringLiteral("%1x%2").arg(collapsed.width()).arg(collapsed.height())));
        QVERIFY2(expanded.height() <= available.height() && expanded.width() <= available.width(),
                 qPrintable(QStringLiteral("%1x%2").arg(expanded.width()).arg(expanded.height())));
        QVERIFY(expanded.height() > collapsed.height());
        QCOMPARE(shownDetails, details);
        QVERIFY(flags & Qt::TextSelectableByMouse);
    }

    // A screen too small for the whole list keeps its head and the last line,
    // which names the report file; every line fits the width, and keeps its
    // file name and its reason.
    void fitLines_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("maxLines");
        QTest::addColumn<int>("shownLines");
        QTest::addColumn<QString>("reason");
        QTest::newRow("fits") << 6 << 10 << 6 << "";
        QTest::newRow("too many lines") << 30 << 10 << 10 << "";
        QTest::newRow("the reason stays whole") << 6 << 10 << 6 << ": No such file or directory";
    }
    void fitLines()
    {
        QFETCH(int, count);
        QFETCH(int, maxLines);
        QFETCH(int, shownLines);
        QFETCH(QString, reason);
        QStringList lines;
        for (int i = 1; i <= count; ++i)
            lines << QStringLiteral("/start%1/").arg(i) + QStringLiteral("middle/").repeated(i * 10) + QStringLiteral("end.eml") + reason + QLatin1Char('\r');
        const QFontMetrics metrics(QApplication::font());
        const int width = metrics.horizontalAdvance(QStringLiteral("x").repeated(80));
        const QStringList fitted = FitLines(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'), metrics, width, maxLines)
                                       .split(QLatin1Char('\n'));
        QCOMPARE(fitted.size(), shownLines + 1);
        QVERIFY(fitted.last().isEmpty());
        QVERIFY(fitted[shownLines - 1].startsWith(QStringLiteral("/start%1/").arg(count)));
        for (int i = 0; i < shownLines; ++i) {
            QVERIFY2(metrics.horizontalAdvance(fitted[i].chopped(fitted[i].endsWith(QLatin1Char('\r')) ? 1 : 0)) <= width,
                     qPrintable(fitted[i]));
            QVERIFY(fitted[i] == QString(QChar(0x2026)) || fitted[i].endsWith(QStringLiteral("end.eml") + reason + QLatin1Char('\r')));
        }
        QVERIFY(fitted[0].startsWith(QStringLiteral("/start1/")));
    }
};

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
