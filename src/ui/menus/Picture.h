#pragma once

#include <QIcon>
#include <QImage>
#include <QPicture>
#include <QSize>

// A picture object: a bitmap, an icon or a metafile, with its size.
struct Picture {
    enum Type { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

    Type type = None;
    QImage bitmap;
    QIcon icon;
    QPicture metafile;
    QSize size;  // pixels

    static Picture fromImage(const QImage& image);
    static Picture fromIcon(const QIcon& icon, const QSize& ownSize);
    static Picture fromMetafile(const QPicture& picture);

    // Width and height in hundredths of a millimetre, as picture objects report them.
    int Width() const;
    int Height() const;
    bool isNull() const { return type == None; }
};
