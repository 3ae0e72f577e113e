#include "app/ProgressBar.h"
#include "app/frmStep1.h"
#include "convert/ConversionReport.h"
#include "convert/ConversionRun.h"
#include "modules/Dialogs.h"
#include "modules/registry.h"

#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace {
// Shows the run's progress in the window's bars and labels.
// Byte counts arrive far more often than the window can show them: they are
// shown when the window is about to process its events, and after each message.
class WindowProgress final : public ConversionObserver {
public:
    explicit WindowProgress(frmStep1 &window) : window_(window) {}

    void BytesRead(qint64 bodyLength, qint64 fileSize) override
    {
        bodyLength_ = bodyLength;
        fileSize_ = fileSize;
        pending_ = true;
        if (window_.yielder().Due())
            ShowBytes();
    }

    void MessageDone(int number, int total) override
    {
        if (pending_)
            ShowBytes();
        window_.ProgressBar1->SetValue(double(number) / double(total) * 100.0);
        window_.LblProgessCurrent->setText(QStringLiteral("Message ") + QString::number(number)
                                           + QStringLiteral(" (of ") + QString::number(total)
                                           + QLatin1Char(')'));
    }

private:
    void ShowBytes()
    {
        pending_ = false;
        const qint64 bodyLength = bodyLength_;
        const qint64 fileSize = fileSize_;
        window_.LblByteRead->setText(QString::number(bodyLength) + QStringLiteral(" Bytes out of ")
                                     + QString::number(fileSize) + QStringLiteral(" Total Bytes."));
        // Halves go to the even neighbour; a value past 100 (the body grew by
        // its CR LF line ends) is refused by the bar.
        if (fileSize > 0)
            window_.EmlProgress->SetValue(std::nearbyint(double(bodyLength) / double(fileSize) * 100.0));
    }

    frmStep1 &window_;
    qint64 bodyLength_ = 0;
    qint64 fileSize_ = 0;
    bool pending_ = false;
};

// The convert button comes back on every way out of a run.
class EnableOnExit {
public:
    explicit EnableOnExit(QPushButton *button) : button_(button) {}
    ~EnableOnExit() { button_->setEnabled(true); }

private:
    QPushButton *button_;
};
}

void frmStep1::CmdConvert2MBOX_Click()
{
    QString destination = BrowseForFolder(dialogs_, this, QStringLiteral("Choose Folder to Save..."));
    if (destination.isEmpty())
        return;
    if (!destination.endsWith(QLatin1Char('/')))
        destination += QLatin1Char('/');
    yielder().YieldNow();
    CmdConvert2MBOX->setEnabled(false);
    EnableOnExit enableOnExit(CmdConvert2MBOX);
    ProgressBar1->SetRange(0, 100);
    EmlProgress->SetRange(0, 100);

    // The run converts the list as it stands now: every row is read once, so
    // adding, clearing or clicking in the grid meanwhile changes nothing here.
    QStringList paths;
    if (!MessageListIsEmpty()) {
        const int rows = MessageRowCount();
        paths.reserve(rows);
        for (int row = 0; row < rows; ++row)
            paths.append(MessagePathAt(row));
    }
    if (paths.isEmpty()) {
        MsgBox(QStringLiteral("There is nothing to convert: the list of messages is empty."),
               MsgBoxStyle::Information, ApplicationTitle());
        return;
    }

    WindowProgress progress(*this);
    const ConversionResult result = ConvertMessages(paths, destination, progress, yielder());
    yielder().YieldNow();
    MsgBox(ConversionReport(result), ConversionReportStyle(result), ApplicationTitle());
}
