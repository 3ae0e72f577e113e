#pragma once

#include "StallMeter.h"
#include "window/dialogs/Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>
#include <sys/resource.h>

// Dialogs for a benchmark: every folder picker answers with one folder, and
// every box is handed to onBox and answered OK.
class BenchDialogs final : public Dialogs {
public:
    explicit BenchDialogs(QString folder) : folder_(std::move(folder)) {}
    std::function<void(const QString &)> onBox;
    int msgBox(const QString &prompt, int, const QString &) override
    {
        if (onBox)
            onBox(prompt);
        return MsgBoxResult::Ok;
    }
    void showOpen(OpenDialog &) override {}
    QString pickFolder(QWidget *, const QString &) override { return folder_; }
    void openUrl(const QString &) override {}

private:
    QString folder_;
};

inline double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct ClickTiming {
    double seconds = -1;  // from the click to the command's box; -1 when no box came
    double longestStallMs = 0;
    QString boxText;
};

// Clicks the button once the window's first paint is over (fonts and glyph
// caches are start-up work, not the command's), runs the event loop, and times
// the command until it shows its box.
inline ClickTiming timeClickUntilBox(QApplication &application, BenchDialogs &dialogs, QPushButton *button)
{
    ClickTiming timing;
    StallMeter stalls;
    QElapsedTimer clock;
    dialogs.onBox = [&](const QString &text) {
        timing.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        stalls.stop();
        timing.boxText = text;
    };
    QTimer::singleShot(300, button, [&] {
        stalls.start();
        clock.start();
        button->setEnabled(true);
        button->click();
        application.quit();
    });
    application.exec();
    timing.longestStallMs = stalls.longestMs();
    return timing;
}
