#pragma once

#include "modules/Dialogs.h"

#include <QString>
#include <functional>
#include <sys/resource.h>

// Dialogs for a benchmark: every folder picker answers with one folder, and
// every box is handed to onBox and answered OK.
class BenchDialogs final : public Dialogs {
public:
    explicit BenchDialogs(QString folder) : folder_(std::move(folder)) {}
    std::function<void(const QString &)> onBox;
    int MsgBox(const QString &prompt, int, const QString &) override
    {
        if (onBox)
            onBox(prompt);
        return MsgBoxResult::Ok;
    }
    void ShowOpen(CommonDialog &) override {}
    QString PickFolder(QWidget *, const QString &) override { return folder_; }
    void OpenUrl(const QString &) override {}

private:
    QString folder_;
};

inline double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
