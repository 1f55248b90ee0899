#pragma once

#include "ui/menus/Picture.h"

#include <QString>

#include <map>

// Pictures looked up by key, all of one size.
class ImageList {
public:
    explicit ImageList(QSize size = QSize(16, 16)) : size_(size) {}

    void add(const QString& key, const QIcon& icon);
    bool contains(const QString& key) const { return pictures_.count(key) > 0; }
    Picture picture(const QString& key) const;
    int count() const { return static_cast<int>(pictures_.size()); }
    QSize size() const { return size_; }

private:
    QSize size_;
    std::map<QString, Picture> pictures_;
};
