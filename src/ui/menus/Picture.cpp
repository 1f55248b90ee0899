#include "ui/menus/Picture.h"

#include <cmath>

namespace {
int himetric(int pixels)
{
    return static_cast<int>(std::lround(pixels * 2540.0 / 96.0));
}
}  // namespace

Picture Picture::fromImage(const QImage& image)
{
    Picture p;
    p.type = image.isNull() ? None : Bitmap;
    p.bitmap = image;
    p.size = image.size();
    return p;
}

Picture Picture::fromIcon(const QIcon& icon, const QSize& ownSize)
{
    Picture p;
    p.type = icon.isNull() ? None : Icon;
    p.icon = icon;
    p.size = ownSize.isValid() ? ownSize
             : icon.availableSizes().isEmpty() ? QSize(16, 16)
                                                 : icon.availableSizes().constFirst();
    return p;
}

Picture Picture::fromMetafile(const QPicture& picture)
{
    Picture p;
    p.type = picture.isNull() ? None : Metafile;
    p.metafile = picture;
    p.size = picture.boundingRect().size();
    return p;
}

int Picture::Width() const
{
    return himetric(size.width());
}

int Picture::Height() const
{
    return himetric(size.height());
}
