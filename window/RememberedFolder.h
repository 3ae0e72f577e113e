#pragma once

#include <QString>

// The folder a dialog was last left in, kept across sessions in the
// program's settings under its own key.
class RememberedFolder {
public:
    explicit RememberedFolder(const QString &dialog);

    // Where the dialog opens: the folder last chosen in it, or the home
    // folder when none was, or when that folder has gone since.
    QString startFolder() const;
    void remember(const QString &folder) const;

    // The dialogs that remember, each its own folder.
    static RememberedFolder open();
    // A folder picker is known by its prompt: the source and the destination
    // pickers each keep theirs.
    static RememberedFolder forPicker(const QString &prompt);

private:
    QString key_;
};
