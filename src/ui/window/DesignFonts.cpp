#include "ui/window/DesignFonts.h"

#include <QFont>
#include <QFontDatabase>

void installDesignFontSubstitutes()
{
    for (const char* family : {"Trebuchet MS", "MS Sans Serif"}) {
        const QString name = QString::fromLatin1(family);
        if (!QFontDatabase::hasFamily(name))
            QFont::insertSubstitution(name, QStringLiteral("Liberation Sans"));
    }
}
