#include "editors/thumbnail_store.h"

#include <QPainter>
#include <cstring>

namespace qv {

namespace {
// Fast compression is enough: thumbnails are mostly flat colour, and a list of 15,000 is packed
// while the user waits.
constexpr int kPackLevel = 1;
}  // namespace

TMyImageList::TMyImageList(int width, int height) : width_(width), height_(height) {}

void TMyImageList::setSize(int width, int height) {
    width_ = width;
    height_ = height;
}

TMyImageList::Entry TMyImageList::pack(const QImage& image) {
    Entry e;
    if (image.isNull()) return e;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    e.width = rgb.width();
    e.height = rgb.height();
    const qsizetype rowBytes = qsizetype(e.width) * 3;
    QByteArray raw(rowBytes * e.height, Qt::Uninitialized);
    for (int y = 0; y < e.height; ++y) std::memcpy(raw.data() + rowBytes * y, rgb.constScanLine(y), size_t(rowBytes));
    e.packed = qCompress(raw, kPackLevel);
    return e;
}

QImage TMyImageList::unpack(const Entry& e) {
    if (e.width <= 0 || e.height <= 0) return {};
    const QByteArray raw = qUncompress(e.packed);
    const qsizetype rowBytes = qsizetype(e.width) * 3;
    if (raw.size() != rowBytes * e.height) return {};
    QImage rgb(e.width, e.height, QImage::Format_RGB888);
    for (int y = 0; y < e.height; ++y) std::memcpy(rgb.scanLine(y), raw.constData() + rowBytes * y, size_t(rowBytes));
    return rgb.convertToFormat(QImage::Format_RGB32);
}

bool TMyImageList::add(const QImage& image) {
    if (count() >= kCapacity) return false;
    entries_.push_back(pack(image));
    return true;
}

bool TMyImageList::replace(int index, const QImage& image) {
    if (!valid(index)) return false;
    entries_[size_t(index)] = pack(image);
    return true;
}

bool TMyImageList::remove(int index) {
    if (!valid(index)) return false;
    entries_.erase(entries_.begin() + index);
    return true;
}

void TMyImageList::clear() { entries_.clear(); }

QImage TMyImageList::image(int index) const { return valid(index) ? unpack(entries_[size_t(index)]) : QImage(); }

void TMyImageList::draw(QPainter& painter, int x, int y, int index) const {
    if (!valid(index)) return;
    const QImage img = unpack(entries_[size_t(index)]);
    const QRect source = img.rect() & QRect(0, 0, width_, height_);
    if (source.isEmpty()) return;
    painter.drawImage(QPoint(x, y), img, source);
}

qsizetype TMyImageList::storedBytes() const {
    qsizetype total = 0;
    for (const Entry& e : entries_) total += e.packed.size();
    return total;
}

}  // namespace qv
