#pragma once

#include <QString>
#include <QStringList>

class MainWindow;

// A box that names paths the window did not take: the heading, then the first
// MaxListedPaths of them, and every one behind the box's details button when
// there are more.
void showPathListBox(MainWindow &window, const QString &heading, const QStringList &paths);

constexpr int MaxListedPaths = 20;

// "1 file", "3 files": the count in a heading.
QString countOf(qsizetype count, const QString &singular, const QString &plural);
