#include "window/MainWindow.h"

#include "window/RunTimeError.h"
#include "engine/support/StopSignals.h"
#include "window/CommandUnderWay.h"
#include "window/ConvertButtonState.h"
#include "window/EventLoopYielder.h"
#include "window/dialogs/Dialogs.h"
#include "window/widgets/FilledShape.h"
#include "window/widgets/FlexGrid.h"
#include "window/widgets/Fonts.h"
#include "window/widgets/ProgressBar.h"
#include "window/widgets/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QSvgRenderer>
#include <QPainter>

namespace {
const QColor Navy(0x00, 0x00, 0x80);
const QColor White(0xFF, 0xFF, 0xFF);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Maroon(0x80, 0x00, 0x00);
const QColor Blue(0x00, 0x00, 0xFF);
const QColor Black(0x00, 0x00, 0x00);

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    label->setFont(font);
    return label;
}

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void opaqueBackground(QWidget *widget, const QColor &colour)
{
    setColour(widget, QPalette::Window, colour);
    widget->setAutoFillBackground(true);
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFont(designFont(8.25));
    // Enter clicks the button that has the focus, and no other: there is no default button.
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

QPixmap renderSvg(const QString &resource, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}
}

// The icons live in the window library, which is linked statically.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

MainWindow::MainWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), fileDialog(dialogs), dialogs_(dialogs),
      yielder_(std::make_unique<EventLoopYielder>([this] { return closing_ || stopRequested(); }))
{
    setUpApplication();
    createControls();
    orderTabs();
    connectCommands();
    prepareListAndDrops();
}

MainWindow::~MainWindow() = default;

QString MainWindow::applicationTitle()
{
    return QCoreApplication::applicationName();
}

void MainWindow::setUpApplication()
{
    // The look is settled before any control exists.
    if (auto *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    initResources();
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel.svg")));
    loadDesignFonts();
}

void MainWindow::createControls()
{
    setObjectName(QStringLiteral("frmStep1"));
    setWindowTitle(QStringLiteral("Quorvel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel.svg")));
    setFixedSize(twipsToPixels(8145), twipsToPixels(6270));
    setFont(formFont());
    setAutoFillBackground(true);
    const QFont tahoma = designFont(8.25);

    // Backgrounds first, so everything else is drawn over them.
    titleBand = new FilledShape(Navy, White, this);
    titleBand->setObjectName(QStringLiteral("Shape2"));
    titleBand->setGeometry(twipsRect(-120, 0, 8415, 855));
    footerBand = new FilledShape(White, Silver, this);
    footerBand->setObjectName(QStringLiteral("Shape1"));
    footerBand->setGeometry(twipsRect(-120, 5640, 8415, 855));

    titleLabel = makeLabel(this, "lblTitle", QStringLiteral("Quorvel"), twipsRect(240, 120, 7695, 375),
                           designFont(14.25, true));
    copyrightLabel = makeLabel(this, "lblCopyright",
                               QStringLiteral("Copyright (C) 2026 The Quorvel developers. Free software."),
                               twipsRect(240, 480, 6135, 255), tahoma);
    for (QLabel *onBand : {titleLabel, copyrightLabel}) {
        setColour(onBand, QPalette::WindowText, White);
        opaqueBackground(onBand, Navy);
    }
    fileCountLabel = makeLabel(this, "lblCount1", QStringLiteral("0 files"), twipsRect(270, 1560, 7695, 255), tahoma);
    fileCountLabel->setAutoFillBackground(true);
    convertingLabel = makeLabel(this, "Label4", QStringLiteral("Converting Messages..."),
                                twipsRect(240, 3480, 2535, 255), tahoma);
    messageNumberLabel = makeLabel(this, "LblProgessCurrent", QStringLiteral("Message 0 (of 0)"),
                                   twipsRect(600, 3720, 7335, 255), formFont());
    setColour(messageNumberLabel, QPalette::WindowText, Black);
    messageStatusLabel = makeLabel(this, "Label3", QStringLiteral("Message Status     :"),
                                   twipsRect(240, 3960, 1815, 255), designFont(8.25, true));
    setColour(messageStatusLabel, QPalette::WindowText, Maroon);
    savingLabel = makeLabel(this, "Label1", QStringLiteral("Saving : "), twipsRect(1920, 4250, 735, 255), formFont());
    bytesReadLabel = makeLabel(this, "LblByteRead", QStringLiteral("<  Not Available >"),
                               twipsRect(2640, 4250, 5295, 255), formFont());
    setColour(bytesReadLabel, QPalette::WindowText, Blue);
    runProgressLabel = makeLabel(this, "Label2", QStringLiteral("Conversion Progress : "),
                                 twipsRect(240, 4560, 1695, 255), formFont());

    envelopeIcon = new QLabel(this);
    envelopeIcon->setObjectName(QStringLiteral("Image1"));
    envelopeIcon->setGeometry(twipsRect(240, 3720, 240, 240));
    envelopeIcon->setPixmap(renderSvg(QStringLiteral(":/icons/stamped-envelope.svg"), QSize(16, 16)));
    envelopeIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Controls over the labels and bands.
    addFilesButton = makeButton(this, "cmdAdd", QStringLiteral("Add EML File(s)..."), twipsRect(240, 960, 1815, 375));
    addFolderButton = makeButton(this, "CmdAddFolder", QStringLiteral("Add Folder having EML File(s)..."),
                                 twipsRect(2400, 960, 2775, 375));
    clearListButton = makeButton(this, "cmdClear1", QStringLiteral("Clear File(s)..."),
                                 twipsRect(6240, 960, 1695, 375));

    messageGrid = new FlexGrid(this);
    messageGrid->setObjectName(QStringLiteral("grdFiles1"));
    messageGrid->setGeometry(twipsRect(240, 1800, 7695, 1575));
    messageGrid->setFont(tahoma);
    QPalette grid = messageGrid->palette();
    grid.setColor(QPalette::Base, White);            // beyond the last row and column
    grid.setColor(QPalette::Highlight, Navy);         // the current cell
    grid.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    grid.setColor(QPalette::HighlightedText, palette().color(QPalette::HighlightedText));
    grid.setColor(QPalette::Mid, Silver);             // grid lines
    messageGrid->setPalette(grid);
    messageGrid->setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"));

    messageProgress = new ProgressBar(this);
    messageProgress->setObjectName(QStringLiteral("EmlProgress"));
    messageProgress->setGeometry(twipsRect(1920, 3960, 6015, 255));
    runProgress = new ProgressBar(this);
    runProgress->setObjectName(QStringLiteral("ProgressBar1"));
    runProgress->setGeometry(twipsRect(1920, 4560, 6015, 255));

    convertButton = makeButton(this, "CmdConvert2MBOX", QStringLiteral("Convert &Messages to MBOX File"),
                               twipsRect(2760, 5040, 2655, 435));
    convertButtonState_ = std::make_unique<ConvertButtonState>(convertButton);
    convertButtonState_->setAvailable(false);

    footerPanel = new QWidget(this);
    footerPanel->setObjectName(QStringLiteral("Picture3"));
    footerPanel->setGeometry(twipsRect(120, 5760, 7935, 495));
    opaqueBackground(footerPanel, White);
    helpButton = makeButton(footerPanel, "CmdHelp", QStringLiteral("&Help Manual"), twipsRect(0, 0, 1695, 375));
    exitButton = makeButton(footerPanel, "cmdEnd", QStringLiteral("E&xit"), twipsRect(6480, 0, 1335, 375));

    for (QWidget *passive : std::initializer_list<QWidget *>{
             footerBand, titleBand, titleLabel, copyrightLabel, fileCountLabel, convertingLabel, envelopeIcon,
             messageNumberLabel, messageStatusLabel, messageProgress, savingLabel, bytesReadLabel, runProgressLabel,
             runProgress, footerPanel})
        passive->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::orderTabs()
{
    // The order of the tab indices, not of the controls on the screen.
    setTabOrder(addFilesButton, clearListButton);
    setTabOrder(clearListButton, addFolderButton);
    setTabOrder(addFolderButton, messageGrid);
    setTabOrder(messageGrid, convertButton);
    setTabOrder(convertButton, exitButton);
    setTabOrder(exitButton, helpButton);
}

void MainWindow::connectCommands()
{
    connect(addFilesButton, &QPushButton::clicked, this, [this] { runCommand([this] { addFiles(); }); });
    connect(addFolderButton, &QPushButton::clicked, this, [this] { runCommand([this] { addFolder(); }); });
    connect(clearListButton, &QPushButton::clicked, this, [this] { runCommand([this] { clearList(); }); });
    connect(convertButton, &QPushButton::clicked, this, [this] { runCommand([this] { convertToMbox(); }); });
    connect(helpButton, &QPushButton::clicked, this, [this] { runCommand([this] { showHelp(); }); });
    connect(exitButton, &QPushButton::clicked, this, [this] { runCommand([this] { exitProgram(); }); });
}

void MainWindow::prepareListAndDrops()
{
    messageGrid->setColWidth(0, 15000);
    // Files and folders from a file manager, dropped anywhere on the window.
    setAcceptDrops(true);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A command still yielding stops at its next yield point; the process ends behind it.
    closing_ = true;
    event->accept();
}

void MainWindow::setConvertAvailable(bool available)
{
    convertButtonState_->setAvailable(available);
}

int MainWindow::showBox(const QString &prompt, int style, const QString &title, const QString &details)
{
    if (closing_)
        return style == MsgBoxStyle::YesNoQuestion ? MsgBoxResult::No : MsgBoxResult::Ok;
    if (!details.isEmpty())
        return dialogs_.msgBoxWithDetails(prompt, style, title, details);
    return dialogs_.msgBox(prompt, style, title);
}

void MainWindow::runCommand(const std::function<void()> &command)
{
    const CommandUnderWay underWay(commandsRunning_);
    try {
        command();
    } catch (const Interrupted &) {
        // The window has closed: nothing more to show.
    } catch (const RunTimeError &error) {
        showUncaughtFailure(error.number(), error.description());
    } catch (const Failure &failure) {
        // The engine says what went wrong in words; the box shows it as it always has.
        if (failure.kind() == FailureKind::Other)
            showUncaughtFailure(51, failure.reason());
        else
            showBox(windowText(failure.kind(), failure.reason()), MsgBoxStyle::Exclamation, applicationTitle());
    } catch (const std::bad_alloc &) {
        showUncaughtFailure(7, QStringLiteral("Out of memory"));
    } catch (const std::exception &error) {
        showUncaughtFailure(51, QString::fromLocal8Bit(error.what()));
    }
}

void MainWindow::showUncaughtFailure(int number, const QString &description)
{
    showBox(QString::number(number) + QLatin1Char(':') + description, MsgBoxStyle::Exclamation, applicationTitle());
}
