#include "window/widgets/FilledShape.h"
#include "window/widgets/FlexGrid.h"
#include "window/widgets/ProgressBar.h"
#include "window/widgets/Twips.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

// The window as laid out at design time, checked control by control.
class MainWindowTest : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void geometryInTwips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        const struct { const char *name; int left, top, width, height; } table[] = {
            {"Shape2", -120, 0, 8415, 855},        {"lblTitle", 240, 120, 7695, 375},
            {"lblCopyright", 240, 480, 6135, 255}, {"cmdAdd", 240, 960, 1815, 375},
            {"CmdAddFolder", 2400, 960, 2775, 375}, {"cmdClear1", 6240, 960, 1695, 375},
            {"lblCount1", 270, 1560, 7695, 255},   {"grdFiles1", 240, 1800, 7695, 1575},
            {"Label4", 240, 3480, 2535, 255},      {"Image1", 240, 3720, 240, 240},
            {"LblProgessCurrent", 600, 3720, 7335, 255}, {"Label3", 240, 3960, 1815, 255},
            {"EmlProgress", 1920, 3960, 6015, 255}, {"Label1", 1920, 4250, 735, 255},
            {"LblByteRead", 2640, 4250, 5295, 255}, {"Label2", 240, 4560, 1695, 255},
            {"ProgressBar1", 1920, 4560, 6015, 255}, {"CmdConvert2MBOX", 2760, 5040, 2655, 435},
            {"Shape1", -120, 5640, 8415, 855},     {"Picture3", 120, 5760, 7935, 495},
            {"CmdHelp", 120, 5760, 1695, 375},     {"cmdEnd", 6600, 5760, 1335, 375},
        };
        for (const auto &row : table)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << QRect(row.left, row.top, row.width, row.height);
    }
    void geometryInTwips()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        auto *control = fixture.window->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        const QPoint topLeft = control->mapTo(fixture.window.get(), QPoint(0, 0));
        // Within the rounding of one pixel (15 twips).
        QVERIFY(std::abs(topLeft.x() * 15 - twips.left()) < 15);
        QVERIFY(std::abs(topLeft.y() * 15 - twips.top()) < 15);
        QVERIFY(std::abs(control->width() * 15 - twips.width()) < 15);
        QVERIFY(std::abs(control->height() * 15 - twips.height()) < 15);
    }

    void clientAreaAndCentring()
    {
        MainWindow &w = *fixture.window;
        QCOMPARE(w.size(), QSize(543, 418));  // 8145 x 6270 twips
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quorvel"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("2.01"));
        QVERIFY(!w.windowIcon().isNull());
        const QPoint screenCentre = w.screen()->availableGeometry().center();
        QVERIFY(std::abs(w.frameGeometry().center().x() - screenCentre.x()) <= 1);
        QVERIFY(std::abs(w.frameGeometry().center().y() - screenCentre.y()) <= 1);
    }

    void bandsReachBothEdges()
    {
        MainWindow &w = *fixture.window;
        for (FilledShape *band : {w.footerBand, w.titleBand}) {
            QVERIFY(band->geometry().left() <= 0);
            QVERIFY(band->geometry().right() >= w.width() - 1);
        }
        QCOMPARE(w.titleBand->fill(), QColor(0x00, 0x00, 0x80));
        QCOMPARE(w.footerBand->fill(), QColor(0xFF, 0xFF, 0xFF));
        QCOMPARE(w.footerBand->outline(), QColor(0xC0, 0xC0, 0xC0));
        // Bands lie under everything else.
        QCOMPARE(w.children().indexOf(w.titleBand), 0);
        QCOMPARE(w.children().indexOf(w.footerBand), 1);
    }

    void startState_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << "lblTitle" << "Quorvel";
        QTest::newRow("count") << "lblCount1" << "0 files";
        QTest::newRow("heading") << "Label4" << "Converting Messages...";
        QTest::newRow("current") << "LblProgessCurrent" << "Message 0 (of 0)";
        QTest::newRow("status") << "Label3" << "Message Status     :";
        QTest::newRow("saving") << "Label1" << "Saving : ";
        QTest::newRow("bytes") << "LblByteRead" << "<  Not Available >";
        QTest::newRow("overall") << "Label2" << "Conversion Progress : ";
        QTest::newRow("add") << "cmdAdd" << "Add EML File(s)...";
        QTest::newRow("add folder") << "CmdAddFolder" << "Add Folder having EML File(s)...";
        QTest::newRow("clear") << "cmdClear1" << "Clear File(s)...";
        QTest::newRow("convert") << "CmdConvert2MBOX" << "Convert &Messages to MBOX File";
        QTest::newRow("help") << "CmdHelp" << "&Help Manual";
        QTest::newRow("exit") << "cmdEnd" << "E&xit";
    }
    void startState()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QObject *control = fixture.window->findChild<QObject *>(name);
        QVERIFY(control);
        QCOMPARE(control->property("text").toString(), text);
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            QCOMPARE(button->isEnabled(), name != QLatin1String("CmdConvert2MBOX"));
            QVERIFY(!button->isDefault() || button->hasFocus());
        }
        if (auto *label = qobject_cast<QLabel *>(control)) {
            // Every caption fits its design-time box.
            const int advance = label->fontMetrics().horizontalAdvance(text.trimmed());
            QVERIFY2(advance <= label->width(), qPrintable(name + QStringLiteral(" needs ") + QString::number(advance)));
        }
    }

    void barsEmptyAndGridEmpty()
    {
        MainWindow &w = *fixture.window;
        for (ProgressBar *bar : {w.messageProgress, w.runProgress}) {
            QCOMPARE(bar->min(), 0.0);
            QCOMPARE(bar->max(), 100.0);
            QCOMPARE(bar->value(), 0.0);
        }
        QCOMPARE(w.messageGrid->rows(), 1);
        QCOMPARE(w.messageGrid->cols(), 1);
        QCOMPARE(w.messageGrid->fixedRows(), 0);
        QCOMPARE(w.messageGrid->colWidth(0), 15000);
        QVERIFY(w.messageListIsEmpty());
    }

    void coloursAndFonts()
    {
        MainWindow &w = *fixture.window;
        QCOMPARE(w.titleLabel->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(w.titleLabel->palette().color(QPalette::Window), QColor(0x00, 0x00, 0x80));
        QVERIFY(w.titleLabel->autoFillBackground());
        QVERIFY(w.titleLabel->font().bold());
        QCOMPARE(w.titleLabel->font().pointSizeF(), 14.25);
        QCOMPARE(w.messageStatusLabel->palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x00));
        QVERIFY(w.messageStatusLabel->font().bold());
        QCOMPARE(w.bytesReadLabel->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
        QVERIFY(!w.convertingLabel->autoFillBackground());
        QCOMPARE(w.addFilesButton->font().pointSizeF(), 8.25);
        QCOMPARE(w.footerPanel->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(w.messageGrid->palette().color(QPalette::Highlight), QColor(0x00, 0x00, 0x80));
        QCOMPARE(w.messageGrid->gridModel()->cellBackground, QColor(0xFF, 0xFF, 0xBF));
        QCOMPARE(w.envelopeIcon->pixmap().size(), QSize(16, 16));
    }

    void focusStartsOnAddAndTabFollowsTheTabIndices()
    {
        MainWindow &w = *fixture.window;
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.addFilesButton));
        w.convertButton->setEnabled(true);
        const QList<QWidget *> order = {w.clearListButton, w.addFolderButton, w.messageGrid, w.convertButton,
                                        w.exitButton, w.helpButton, w.addFilesButton};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // The disabled convert button is skipped.
        w.convertButton->setEnabled(false);
        w.messageGrid->setFocus();
        QTest::keyClick(w.messageGrid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.exitButton));
    }

    void accessKeys()
    {
        MainWindow &w = *fixture.window;
        ScriptedDialogs &dialogs = fixture.dialogs;
        // An access key animates the button's click, which lands a moment later.
        QTest::keyClick(&w, Qt::Key_H, Qt::AltModifier);
        QTRY_COMPARE(dialogs.openedUrls.size(), 1);

        QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);  // disabled: nothing
        w.convertButton->setEnabled(true);
        QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);  // asks for the destination
        QTRY_COMPARE(dialogs.folderPrompts, QStringList{QStringLiteral("Choose Folder to Save...")});

        dialogs.msgBoxAnswers.enqueue(MsgBoxResult::No);
        QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes.last().prompt, QStringLiteral("Are you sure you want to exit now?"));
        QVERIFY(w.isVisible());
        QCOMPARE(dialogs.folderPrompts.size(), 1);
    }

    void enterClicksOnlyTheFocusedButton()
    {
        MainWindow &w = *fixture.window;
        w.helpButton->setFocus();
        QTest::keyClick(w.helpButton, Qt::Key_Return);
        QCOMPARE(fixture.dialogs.openedUrls.size(), 1);
        QCOMPARE(fixture.dialogs.boxes.size(), 0);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(fixture.dialogs.boxes.size(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
