#include "ui/window/DesignFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void installDesignFontSubstitutes()
{
    // The installed families as a list: asking hasFamily() would run
    // fontconfig's whole rule set once for each name.
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Trebuchet MS", "MS Sans Serif", "Arial"}) {
        const QString name = QString::fromLatin1(family);
        if (!installed.contains(name, Qt::CaseInsensitive))
            QFont::insertSubstitution(name, QStringLiteral("Liberation Sans"));
    }
}
