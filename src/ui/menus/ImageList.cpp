#include "ui/menus/ImageList.h"

void ImageList::add(const QString& key, const QIcon& icon)
{
    files_.erase(key);
    pictures_[key] = Picture::fromIcon(icon, size_);
}

void ImageList::addFile(const QString& key, const QString& file)
{
    pictures_.erase(key);
    files_[key] = file;
}

Picture ImageList::picture(const QString& key) const
{
    if (const auto file = files_.find(key); file != files_.end()) {
        pictures_[key] = Picture::fromIcon(QIcon(file->second), size_);
        files_.erase(file);
    }
    const auto it = pictures_.find(key);
    return it == pictures_.end() ? Picture() : it->second;
}
