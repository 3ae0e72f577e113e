#pragma once

#include <QFont>

// Makes the Tahoma-metric faces that fonts-wine ships known to Qt; fontconfig
// does not see them. Safe to call more than once.
void loadDesignFonts();

// "Tahoma" at the given size when it could be loaded, the system sans face otherwise.
QFont designFont(double points, bool bold = false);

// The window's own font, for the labels without a font of their own.
QFont formFont();
