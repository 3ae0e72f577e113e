#include "engine/mbox/MboxAppender.h"
#include "engine/api/Conversion.h"
#include "engine/support/ShownName.h"
#include "window/ConvertButtonState.h"
#include "window/dialogs/DesktopShell.h"
#include "window/dialogs/Dialogs.h"
#include "window/FocusComesBack.h"
#include "window/MainWindow.h"
#include "window/widgets/ProgressBar.h"

#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <cmath>

namespace {
// Shows the run's progress in the window's bars and labels. Figures arrive far
// more often than anyone can read them: they are kept, and shown when the
// window is about to process its events, and at the end of the run. What is
// shown then is exact: the last message's final figures, or the current one's.
class WindowProgress final : public ConversionObserver {
public:
    explicit WindowProgress(MainWindow &window) : window_(window) {}

    void bytesRead(qint64 bodyLength, qint64 fileSize) override
    {
        bodyLength_ = bodyLength;
        fileSize_ = fileSize;
        bytesPending_ = true;
        if (window_.yielder().due())
            showPending();
    }

    void messageWritten(const QString &, const QString &mboxFile, qint64, qint64) override
    {
        mboxFiles_.insert(mboxFile);
    }

    // The mbox files written so far, for a run stopped before its own flush.
    const QSet<QString> &mboxFiles() const { return mboxFiles_; }

    void messageDone(int number, int total) override
    {
        number_ = number;
        total_ = total;
        messagePending_ = true;
        if (window_.yielder().due())
            showPending();
    }

    void showPending()
    {
        if (bytesPending_) {
            bytesPending_ = false;
            window_.bytesReadLabel->setText(QString::number(bodyLength_) + QStringLiteral(" Bytes out of ")
                                            + QString::number(fileSize_) + QStringLiteral(" Total Bytes."));
            // Halves go to the even neighbour; a value past 100 (the body grew by
            // its CR LF line ends) is refused by the bar.
            if (fileSize_ > 0)
                window_.messageProgress->setValue(std::nearbyint(double(bodyLength_) / double(fileSize_) * 100.0));
        }
        if (messagePending_) {
            messagePending_ = false;
            window_.runProgress->setValue(double(number_) / double(total_) * 100.0);
            window_.messageNumberLabel->setText(QStringLiteral("Message ") + QString::number(number_)
                                                + QStringLiteral(" (of ") + QString::number(total_)
                                                + QLatin1Char(')'));
        }
    }

private:
    MainWindow &window_;
    qint64 bodyLength_ = 0;
    qint64 fileSize_ = 0;
    bool bytesPending_ = false;
    int number_ = 0;
    int total_ = 0;
    bool messagePending_ = false;
    QSet<QString> mboxFiles_;
};
}

void MainWindow::convertToMbox()
{
    // The button is off during a run; this is for a click that got through anyway.
    if (convertButtonState().runActive())
        return;
    QString destination = browseForFolder(dialogs_, this, QStringLiteral("Choose Folder to Save..."));
    if (destination.isEmpty())
        return;
    if (!destination.endsWith(QLatin1Char('/')))
        destination += QLatin1Char('/');
    const FocusComesBack focus(this);
    const ConvertButtonState::Run running(convertButtonState());
    yielder().yieldNow();
    runProgress->setRange(0, 100);
    messageProgress->setRange(0, 100);

    // The run converts the list as it stands now: every row is read once, so
    // adding, clearing or clicking in the grid meanwhile changes nothing here.
    QStringList paths;
    if (!messageListIsEmpty()) {
        const int rows = messageRowCount();
        paths.reserve(rows);
        for (int row = 0; row < rows; ++row)
            paths.append(messagePathAt(row));
    }
    if (paths.isEmpty()) {
        showBox(QStringLiteral("There is nothing to convert: the list of messages is empty."),
                MsgBoxStyle::Information, applicationTitle());
        return;
    }

    WindowProgress progress(*this);
    ConversionResult result;
    try {
        result = convertMessages(paths, destination, progress, yielder());
    } catch (const Interrupted &) {
        // The window is closing (Exit, a logout): what was written reaches the
        // disk first, and a terminal it was started from hears what did not.
        for (const QString &file : progress.mboxFiles())
            if (const QString reason = flushToDisk(file); !reason.isEmpty())
                qWarning().noquote() << shownName(file) + QStringLiteral(": ") + shownName(reason);
        throw;
    } catch (...) {
        progress.showPending();
        throw;
    }
    progress.showPending();
    yielder().yieldNow();
    showConversionReport(result);
}
