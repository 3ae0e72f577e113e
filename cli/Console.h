#pragma once

#include <QString>

// stdout and stderr of the command. On a terminal, stderr may also carry one
// status line redrawn in place; every other line clears it first and it is
// drawn again on the next Status. Text goes out as the system's bytes, so a
// file name that is not UTF-8 is printed as it is on disk.
class Console {
public:
    explicit Console(bool statusLine) : statusLine_(statusLine) {}
    ~Console() { clearStatus(); }
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    static bool errorIsTerminal();
    bool hasStatusLine() const { return statusLine_; }
    // Columns of the terminal stderr is on.
    int width() const;

    void status(const QString &text);
    void clearStatus();
    void error(const QString &line);
    void out(const QString &line);
    // Why a line for stdout was lost (a full disk under a redirection), or
    // empty text: the listing is what a dry run is for.
    QString outputLost() const { return outputLost_; }

private:
    bool statusLine_;
    bool statusShown_ = false;
    QString outputLost_;
};
