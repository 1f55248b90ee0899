#include "ui/menus/ImageList.h"

void ImageList::add(const QString& key, const QIcon& icon)
{
    pictures_[key] = Picture::fromIcon(icon, size_);
}

Picture ImageList::picture(const QString& key) const
{
    const auto it = pictures_.find(key);
    return it == pictures_.end() ? Picture() : it->second;
}
