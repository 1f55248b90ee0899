#pragma once

#include <QPixmap>
#include <QSize>

// The picture of the instrument dialog: a keyboard under a staff of notes,
// drawn at the size asked for.
QPixmap instrumentPicture(const QSize& size);
