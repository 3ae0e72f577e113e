#pragma once

#include <QString>
#include <QStringList>

class Dialogs;

// The open-file dialog component: settings in, FileName out, as the common
// dialog keeps them.
class OpenDialog {
public:
    static constexpr int AllowMultiSelect = 0x200;
    static constexpr int Explorer = 0x80000;

    explicit OpenDialog(Dialogs &dialogs) : dialogs_(dialogs) {}

    QString FileName;
    QString Filter;        // "description|pattern"
    int Flags = 0;
    int MaxFileSize = 260; // characters
    // How many of the last picked names fitted in MaxFileSize; set when the
    // dialog raises BufferTooSmall.
    int FilesThatFit = 0;

    // Modal; returns when the user closes the dialog.
    void showOpen();

    QString filterDescription() const;
    QString filterPattern() const;

    // The selection as the dialog hands it back: one full path alone, or the
    // folder and each name, NUL-separated. Raises BufferTooSmall (leaving
    // FileName empty and FilesThatFit set) when it is MaxFileSize or longer.
    void storeSelection(const QStringList &fullPaths);

private:
    Dialogs &dialogs_;
};
