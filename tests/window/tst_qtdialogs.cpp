#include "window/dialogs/QtDialogs.h"
#include "window/widgets/ScreenFit.h"

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
        QCOMPARE(dialogs.msgBox(QStringLiteral("Are you sure you want to exit now?"), 36, QStringLiteral("Quorvel")), 6);
    }

    void escapeAnswersNo()
    {
        QtDialogs dialogs;
        QMessageBox *seen = nullptr;
        pressWhenShown(Qt::Key_Escape, &seen);
        QCOMPARE(dialogs.msgBox(QStringLiteral("Proceed?"), 36, QStringLiteral("Quorvel")), 7);
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
        QCOMPARE(dialogs.msgBox(QStringLiteral("text"), style, QStringLiteral("Quorvel")), 1);
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
        QStringList lines{QStringLiteral("1 of 22 messages were exported to .mbox format."), QString(), QStringLiteral("Not exported:")};
        for (int i = 1; i <= 20; ++i)
            lines << QStringLiteral("/home/ann/%1/%2.eml: No such file or directory").arg(folderName).arg(i);
        lines << QStringLiteral("... and 1 more.") << QString() << QStringLiteral("The complete report is in /home/ann/") + folderName;
        const QString details = lines.mid(3, 20).join(QLatin1Char('\n'));
        QtDialogs dialogs;
        QRect available, collapsed, expanded;
        QString shownDetails;
        Qt::TextInteractionFlags flags;
        QMessageBox *seen = nullptr;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY((seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) && seen->isVisible());
            shownDetails = seen->detailedText();
            flags = seen->textInteractionFlags();
            available = seen->screen()->availableGeometry();
            collapsed = seen->frameGeometry();
            for (QAbstractButton *button : seen->buttons())
                if (seen->buttonRole(button) == QMessageBox::ActionRole)
                    button->click();  // opens the details
            expanded = seen->frameGeometry();
            QTest::keyClick(seen, Qt::Key_Return);
        });
        QCOMPARE(dialogs.msgBoxWithDetails(lines.join(QStringLiteral("\r\n")), 48, QStringLiteral("Quorvel"), details), 1);
        QCOMPARE(shownDetails, details);
        QVERIFY(flags & Qt::TextSelectableByMouse);
        QVERIFY(expanded.height() > collapsed.height());
        for (const QRect &box : {collapsed, expanded})
            QVERIFY2(box.height() <= available.height() && box.width() <= available.width(),
                     qPrintable(QStringLiteral("%1x%2").arg(box.width()).arg(box.height())));
    }

    // A screen too small for the whole list keeps its head and the last line,
    // which names the report file; a line keeps its file name and its whole
    // reason, and a reason too long for the row goes on to the next rows.
    void fitLines_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("reasonWraps");
        QTest::newRow("fits") << 6 << "" << false;
        QTest::newRow("too many lines") << 30 << "" << false;
        QTest::newRow("just too many") << 9 << "" << false;
        QTest::newRow("a reason") << 6 << ": No such file or directory" << false;
        QTest::newRow("a reason naming a folder") << 6 << ": cannot create the folder /a/b/: File exists" << false;
        QTest::newRow("a reason longer than a row")
            << 3 << QStringLiteral(": cannot open the message: No such file or directory.").repeated(3) << true;
    }
    void fitLines()
    {
        QFETCH(int, count);
        QFETCH(QString, reason);
        QFETCH(bool, reasonWraps);
        QStringList lines;
        for (int i = 1; i <= count; ++i)
            lines << QStringLiteral("/start%1/%2end.eml%3\r").arg(i).arg(QStringLiteral("middle/").repeated(10 * i), reason);
        const QFontMetrics metrics(QApplication::font());
        const int width = metrics.horizontalAdvance(QStringLiteral("x").repeated(80));
        const QStringList fitted = ::fitLines(lines.join(QLatin1Char('\n')), metrics, width, 10).split(QLatin1Char('\n'));
        // The last line may wrap over three rows, so eight lines fill ten rows.
        QCOMPARE(fitted.size(), count <= 8 ? count : 8);
        QVERIFY(fitted.first().startsWith(QStringLiteral("/start1/")) && fitted.last().startsWith(QStringLiteral("/start%1/").arg(count)));
        if (count > 1)  // the report file's line takes the room of three rows rather than lose its path
            QVERIFY(metrics.horizontalAdvance(fitted.last().chopped(1)) > width);
        for (const QString &line : fitted) {
            const bool last = &line == &fitted.last();
            const QString firstRow = reasonWraps && !last ? line.chopped(1 + reason.size()) + QLatin1Char(':') : line.chopped(1);
            QVERIFY2(metrics.horizontalAdvance(firstRow) <= (last ? 3 : 1) * width, qPrintable(line));
            QVERIFY(line == QString(QChar(0x2026)) || line.endsWith(QStringLiteral("/end.eml") + reason + QLatin1Char('\r')));
        }
    }

    void sentencesWrapAndKeepEveryWord()
    {
        const QString text = QStringLiteral("Export Completed Successfully !\r\nYour data has been successfully exported "
                                            "to .mbox format (Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).\r\n");
        const QFontMetrics metrics(QApplication::font());
        QCOMPARE(::fitLines(text, metrics, metrics.horizontalAdvance(QStringLiteral("x").repeated(30)), 10), text);
    }
};

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
