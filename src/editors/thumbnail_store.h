#pragma once
// The picture list's thumbnail store: one small image per picture row, in row order.
#include "editors/thumbnail.h"

#include <QByteArray>
#include <QImage>
#include <vector>

class QPainter;

namespace qv {

class ThumbnailStore {
public:
    static constexpr int kCapacity = 32768;

    explicit ThumbnailStore(int width = kThumbnailSize, int height = kThumbnailSize);

    // The size every image is drawn with, whatever size it was added at.
    int width() const { return width_; }
    int height() const { return height_; }
    void setSize(int width, int height);

    int count() const { return int(entries_.size()); }
    bool add(const QImage& image);                  // false when the store is full
    // Appends many at once, packing them on every core; false (and nothing added) when
    // they do not fit.
    bool addAll(const std::vector<QImage>& images);
    bool replace(int index, const QImage& image);   // false for an index outside the store
    bool remove(int index);                         // later images move down by one
    void clear();

    QImage image(int index) const;   // RGB32; null for an index outside the store
    void draw(QPainter& painter, int x, int y, int index) const;

    // Bytes held for the images themselves, to keep an eye on a 15,000-row list.
    qsizetype storedBytes() const;

private:
    // Up to 15,001 rows: a thumbnail has few colours, so each is kept as palette indices of
    // 1, 2, 4 or 8 bits, or as 24-bit pixels when it has more than 256 colours.
    struct Entry {
        int width = 0;
        int height = 0;
        int bits = 0;         // bits per pixel in `data`; 24 means direct colour
        QByteArray data;      // palette (3 bytes a colour, 2^bits colours) then rows packed to bytes
    };
    static Entry pack(const QImage& image);
    static QImage unpack(const Entry& entry);
    bool valid(int index) const { return index >= 0 && index < count(); }

    int width_;
    int height_;
    std::vector<Entry> entries_;
};

}  // namespace qv
