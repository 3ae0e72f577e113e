#include "window/widgets/Fonts.h"

#include <QFile>
#include <QFontDatabase>

namespace {
bool tahomaLoaded = false;
}

void loadDesignFonts()
{
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    for (const char *file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) >= 0)
            tahomaLoaded = true;
    }
}

QFont designFont(double points, bool bold)
{
    QFont font = tahomaLoaded ? QFont(QStringLiteral("Tahoma")) : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The faces here run wider than the bitmap face the layout was drawn with:
// half a point less keeps every caption inside its box.
QFont formFont()
{
    return designFont(7.5);
}
