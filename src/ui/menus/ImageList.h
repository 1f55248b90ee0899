#pragma once

#include "ui/menus/Picture.h"

#include <QString>

#include <map>

// Pictures looked up by key, all of one size.
class ImageList {
public:
    explicit ImageList(QSize size = QSize(16, 16)) : size_(size) {}

    void add(const QString& key, const QIcon& icon);
    // A picture read from its file when it is first asked for: decoding
    // pictures that a menu shows only when it opens need not hold up a start.
    void addFile(const QString& key, const QString& file);
    bool contains(const QString& key) const { return pictures_.count(key) > 0 || files_.count(key) > 0; }
    Picture picture(const QString& key) const;
    int count() const { return static_cast<int>(pictures_.size() + files_.size()); }
    QSize size() const { return size_; }

private:
    QSize size_;
    // Filled from files_ as the pictures are asked for.
    mutable std::map<QString, Picture> pictures_;
    mutable std::map<QString, QString> files_;
};
