#pragma once
// A list of same-sized images addressed by index, from which actions take their icons.
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

namespace ofx::widgets {

class ImageList {
public:
    explicit ImageList(QSize imageSize = QSize(32, 32)) : size_(imageSize) {}

    QSize imageSize() const { return size_; }
    int count() const { return int(icons_.size()); }
    int add(const QIcon& icon) { icons_.append(icon); return count() - 1; }  // returns its index
    int add(const QPixmap& pixmap) { return add(QIcon(pixmap)); }
    // An index outside the list gives a null icon (an action without an image).
    QIcon icon(int index) const { return index >= 0 && index < count() ? icons_.at(index) : QIcon(); }

private:
    QSize size_;
    QList<QIcon> icons_;
};

}  // namespace ofx::widgets
