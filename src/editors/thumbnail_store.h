#pragma once
// The picture list's thumbnail store: one small image per picture row, in row order.
#include "editors/thumbnail.h"

#include <QByteArray>
#include <QImage>
#include <vector>

class QPainter;

namespace qv {

class TMyImageList {
public:
    static constexpr int kCapacity = 32768;

    explicit TMyImageList(int width = kThumbnailSize, int height = kThumbnailSize);

    // The size every image is drawn with, whatever size it was added at.
    int width() const { return width_; }
    int height() const { return height_; }
    void setSize(int width, int height);

    int count() const { return int(entries_.size()); }
    bool add(const QImage& image);                  // false when the store is full
    bool replace(int index, const QImage& image);   // false for an index outside the store
    bool remove(int index);                         // later images move down by one
    void clear();

    QImage image(int index) const;   // RGB32; null for an index outside the store
    void draw(QPainter& painter, int x, int y, int index) const;

    // Bytes held for the images themselves, to keep an eye on a 15,000-row list.
    qsizetype storedBytes() const;

private:
    // Up to 15,001 rows: each image is kept as zlib-packed 24-bit pixels, not a 32-bit QImage.
    struct Entry {
        int width = 0;
        int height = 0;
        QByteArray packed;
    };
    static Entry pack(const QImage& image);
    static QImage unpack(const Entry& entry);
    bool valid(int index) const { return index >= 0 && index < count(); }

    int width_;
    int height_;
    std::vector<Entry> entries_;
};

}  // namespace qv
