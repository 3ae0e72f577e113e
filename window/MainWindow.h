#pragma once

#include "engine/support/Yielder.h"
#include "window/dialogs/OpenDialog.h"

#include <QWidget>
#include <functional>
#include <memory>

class ConvertButtonState;
struct ConversionResult;
struct SkippedFolder;
template <typename T> class Collection;
class Dialogs;
class FilledShape;
class FlexGrid;
class ProgressBar;
class QLabel;
class QMimeData;
class QPushButton;
class QUrl;

// The program's one window. Its controls are the state the commands share;
// each command is one click handler, and a long one yields to the event loop
// so the window stays live.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Controls, named for what they do; their object names are the layout's,
    // by which tests and tools find them.
    FilledShape *titleBand = nullptr;
    QLabel *titleLabel = nullptr;
    QLabel *copyrightLabel = nullptr;
    OpenDialog fileDialog;
    QPushButton *addFilesButton = nullptr;
    QPushButton *addFolderButton = nullptr;
    QPushButton *clearListButton = nullptr;
    QLabel *fileCountLabel = nullptr;
    FlexGrid *messageGrid = nullptr;
    QLabel *convertingLabel = nullptr;
    QLabel *envelopeIcon = nullptr;
    QLabel *messageNumberLabel = nullptr;
    QLabel *messageStatusLabel = nullptr;
    ProgressBar *messageProgress = nullptr;
    QLabel *savingLabel = nullptr;
    QLabel *bytesReadLabel = nullptr;
    QLabel *runProgressLabel = nullptr;
    ProgressBar *runProgress = nullptr;
    QPushButton *convertButton = nullptr;
    FilledShape *footerBand = nullptr;
    QWidget *footerPanel = nullptr;
    QPushButton *helpButton = nullptr;
    QPushButton *exitButton = nullptr;

    // The message list over the grid.
    void resetMessageList();
    void addMessagePath(const QString &path);
    bool messageListIsEmpty();
    int messageRowCount() const;
    QString messagePathAt(int row);

    // Commands.
    void addFiles();
    void addFolder();
    void clearList();
    void convertToMbox();
    void showHelp();
    void exitProgram();

    // What the add-folder command does once it has its folder: walks it,
    // appends its messages, and ends with the count box. Also for folders
    // named at start-up or dropped onto the list.
    void addFolderContents(QString folder);
    // Start-up arguments: folders walked, files listed, in the order given;
    // the paths that do not exist are named in one box afterwards.
    void addStartupPaths(const QStringList &paths);
    // Local files and folders dropped onto the list: folders walked, .eml
    // files appended, anything else named in a box.
    void addDroppedUrls(const QList<QUrl> &urls);
    // Whether a command is running (it may be yielding): nothing is dropped then.
    bool commandRunning() const { return commandsRunning_ > 0; }

    // Whether the convert button is on, decided in one place: never while a run goes on.
    void setConvertAvailable(bool available);
    ConvertButtonState &convertButtonState() { return *convertButtonState_; }

    // A modal box through the dialog seam; shows nothing once the window is closing.
    // Details, when given, hold the complete text behind the box's button.
    int showBox(const QString &prompt, int style, const QString &title, const QString &details = QString());

    // The boxes that end a command; a complete list that the box cannot hold
    // goes into its details and into a report file it names.
    void showConversionReport(const ConversionResult &result);
    void showAddFolderReport(int added, const Collection<SkippedFolder> &skipped);
    Dialogs &dialogs() { return dialogs_; }
    // The window's yield point: throws Interrupted once the window has closed.
    Yielder &yielder() { return *yielder_; }
    bool closing() const { return closing_; }

    static QString applicationTitle();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Nothing is taken while a command runs or the window closes.
    bool takesDrop(const QMimeData *data) const;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setUpApplication();
    void createControls();
    void orderTabs();
    void connectCommands();
    void prepareListAndDrops();

    // Runs a command; a failure nothing else caught is shown, and the program goes on.
    void runCommand(const std::function<void()> &command);
    void showUncaughtFailure(int number, const QString &description);

    Dialogs &dialogs_;
    std::unique_ptr<Yielder> yielder_;
    std::unique_ptr<ConvertButtonState> convertButtonState_;
    int commandsRunning_ = 0;
    bool closing_ = false;
    bool centred_ = false;
};
