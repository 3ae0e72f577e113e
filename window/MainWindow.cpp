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
    : QWidget(parent), cdlgFile(dialogs), dialogs_(dialogs),
      yielder_(std::make_unique<EventLoopYielder>([this] { return closing_ || stopRequested(); }))
{
    formInitialize();
    createControls();
    orderTabs();
    connectCommands();
    formLoad();
}

MainWindow::~MainWindow() = default;

QString MainWindow::applicationTitle()
{
    return QCoreApplication::applicationName();
}

void MainWindow::formInitialize()
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
    Shape2 = new FilledShape(Navy, White, this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(twipsRect(-120, 0, 8415, 855));
    Shape1 = new FilledShape(White, Silver, this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twipsRect(-120, 5640, 8415, 855));

    lblTitle = makeLabel(this, "lblTitle", QStringLiteral("Quorvel"), twipsRect(240, 120, 7695, 375), designFont(14.25, true));
    lblCopyright = makeLabel(this, "lblCopyright",
                             QStringLiteral("Copyright (C) 2026 The Quorvel developers. Free software."),
                             twipsRect(240, 480, 6135, 255), tahoma);
    for (QLabel *onBand : {lblTitle, lblCopyright}) {
        setColour(onBand, QPalette::WindowText, White);
        opaqueBackground(onBand, Navy);
    }
    lblCount1 = makeLabel(this, "lblCount1", QStringLiteral("0 files"), twipsRect(270, 1560, 7695, 255), tahoma);
    lblCount1->setAutoFillBackground(true);
    Label4 = makeLabel(this, "Label4", QStringLiteral("Converting Messages..."), twipsRect(240, 3480, 2535, 255), tahoma);
    LblProgessCurrent = makeLabel(this, "LblProgessCurrent", QStringLiteral("Message 0 (of 0)"),
                                  twipsRect(600, 3720, 7335, 255), formFont());
    setColour(LblProgessCurrent, QPalette::WindowText, Black);
    Label3 = makeLabel(this, "Label3", QStringLiteral("Message Status     :"), twipsRect(240, 3960, 1815, 255),
                       designFont(8.25, true));
    setColour(Label3, QPalette::WindowText, Maroon);
    Label1 = makeLabel(this, "Label1", QStringLiteral("Saving : "), twipsRect(1920, 4250, 735, 255), formFont());
    LblByteRead = makeLabel(this, "LblByteRead", QStringLiteral("<  Not Available >"), twipsRect(2640, 4250, 5295, 255),
                            formFont());
    setColour(LblByteRead, QPalette::WindowText, Blue);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Conversion Progress : "), twipsRect(240, 4560, 1695, 255),
                       formFont());

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(240, 3720, 240, 240));
    Image1->setPixmap(renderSvg(QStringLiteral(":/icons/stamped-envelope.svg"), QSize(16, 16)));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Controls over the labels and bands.
    cmdAdd = makeButton(this, "cmdAdd", QStringLiteral("Add EML File(s)..."), twipsRect(240, 960, 1815, 375));
    CmdAddFolder = makeButton(this, "CmdAddFolder", QStringLiteral("Add Folder having EML File(s)..."),
                              twipsRect(2400, 960, 2775, 375));
    cmdClear1 = makeButton(this, "cmdClear1", QStringLiteral("Clear File(s)..."), twipsRect(6240, 960, 1695, 375));

    grdFiles1 = new FlexGrid(this);
    grdFiles1->setObjectName(QStringLiteral("grdFiles1"));
    grdFiles1->setGeometry(twipsRect(240, 1800, 7695, 1575));
    grdFiles1->setFont(tahoma);
    QPalette grid = grdFiles1->palette();
    grid.setColor(QPalette::Base, White);            // beyond the last row and column
    grid.setColor(QPalette::Highlight, Navy);         // the current cell
    grid.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    grid.setColor(QPalette::HighlightedText, palette().color(QPalette::HighlightedText));
    grid.setColor(QPalette::Mid, Silver);             // grid lines
    grdFiles1->setPalette(grid);
    grdFiles1->setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"));

    EmlProgress = new ProgressBar(this);
    EmlProgress->setObjectName(QStringLiteral("EmlProgress"));
    EmlProgress->setGeometry(twipsRect(1920, 3960, 6015, 255));
    ProgressBar1 = new ProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twipsRect(1920, 4560, 6015, 255));

    CmdConvert2MBOX = makeButton(this, "CmdConvert2MBOX", QStringLiteral("Convert &Messages to MBOX File"),
                                 twipsRect(2760, 5040, 2655, 435));
    convertButton_ = std::make_unique<ConvertButtonState>(CmdConvert2MBOX);
    convertButton_->setAvailable(false);

    Picture3 = new QWidget(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setGeometry(twipsRect(120, 5760, 7935, 495));
    opaqueBackground(Picture3, White);
    CmdHelp = makeButton(Picture3, "CmdHelp", QStringLiteral("&Help Manual"), twipsRect(0, 0, 1695, 375));
    cmdEnd = makeButton(Picture3, "cmdEnd", QStringLiteral("E&xit"), twipsRect(6480, 0, 1335, 375));

    for (QWidget *passive : std::initializer_list<QWidget *>{Shape1, Shape2, lblTitle, lblCopyright, lblCount1, Label4,
                                                             Image1, LblProgessCurrent, Label3, EmlProgress, Label1,
                                                             LblByteRead, Label2, ProgressBar1, Picture3})
        passive->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::orderTabs()
{
    // The order of the tab indices, not of the controls on the screen.
    setTabOrder(cmdAdd, cmdClear1);
    setTabOrder(cmdClear1, CmdAddFolder);
    setTabOrder(CmdAddFolder, grdFiles1);
    setTabOrder(grdFiles1, CmdConvert2MBOX);
    setTabOrder(CmdConvert2MBOX, cmdEnd);
    setTabOrder(cmdEnd, CmdHelp);
}

void MainWindow::connectCommands()
{
    connect(cmdAdd, &QPushButton::clicked, this, [this] { runCommand([this] { addFiles(); }); });
    connect(CmdAddFolder, &QPushButton::clicked, this, [this] { runCommand([this] { addFolder(); }); });
    connect(cmdClear1, &QPushButton::clicked, this, [this] { runCommand([this] { clearList(); }); });
    connect(CmdConvert2MBOX, &QPushButton::clicked, this, [this] { runCommand([this] { convertToMbox(); }); });
    connect(CmdHelp, &QPushButton::clicked, this, [this] { runCommand([this] { showHelp(); }); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { runCommand([this] { exitProgram(); }); });
}

void MainWindow::formLoad()
{
    grdFiles1->setColWidth(0, 15000);
    // Files and folders from a file manager, dropped anywhere on the window.
    setAcceptDrops(true);
}

void MainWindow::formUnload(int &cancel)
{
    cancel = 0;
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
    int cancel = 0;
    formUnload(cancel);
    // A command still yielding stops at its next yield point; the process ends behind it.
    closing_ = true;
    event->accept();
}

void MainWindow::setConvertAvailable(bool available)
{
    convertButton_->setAvailable(available);
}

int MainWindow::msgBox(const QString &prompt, int style, const QString &title, const QString &details)
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
            msgBox(windowText(failure.kind(), failure.reason()), MsgBoxStyle::Exclamation, applicationTitle());
    } catch (const std::bad_alloc &) {
        showUncaughtFailure(7, QStringLiteral("Out of memory"));
    } catch (const std::exception &error) {
        showUncaughtFailure(51, QString::fromLocal8Bit(error.what()));
    }
}

void MainWindow::showUncaughtFailure(int number, const QString &description)
{
    msgBox(QString::number(number) + QLatin1Char(':') + description, MsgBoxStyle::Exclamation, applicationTitle());
}
