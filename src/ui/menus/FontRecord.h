#pragma once

#include <QFont>
#include <QString>

// A font as a record: what a font object reports and takes.
struct FontRecord {
    QString Name;
    double Size = 8.25;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Weight = 400;  // 100..900; decides over Bold
    int Charset = 0;

    QFont toQFont() const;
    static FontRecord fromQFont(const QFont& font);
};
