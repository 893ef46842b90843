#include "editors/thumbnail_store.h"

#include <QtConcurrent/QtConcurrentMap>

#include <QPainter>
#include <array>
#include <vector>

namespace qv {

namespace {

constexpr int kMaxPaletteColours = 256;

// The distinct colours of an opaque image, in order of first appearance, up to 257 of them.
// Opaque colours are never 0, so 0 marks a free slot.
class ColourTable {
public:
    // The colour's palette index, or -1 once the image has more colours than a palette holds.
    int indexOf(QRgb c) {
        for (uint32_t slot = (c * 0x9E3779B1u) >> (32 - kSlotBits);; slot = (slot + 1) & (kSlots - 1)) {
            if (keys_[slot] == c) return values_[slot];
            if (keys_[slot] == 0) {
                if (int(colours.size()) == kMaxPaletteColours) return -1;
                keys_[slot] = c;
                values_[slot] = uint16_t(colours.size());
                colours.push_back(c);
                return values_[slot];
            }
        }
    }
    std::vector<QRgb> colours;

private:
    static constexpr int kSlotBits = 10;
    static constexpr uint32_t kSlots = 1u << kSlotBits;
    std::array<QRgb, kSlots> keys_{};
    std::array<uint16_t, kSlots> values_{};
};

int indexBits(size_t colours) {
    if (colours <= 2) return 1;
    if (colours <= 4) return 2;
    if (colours <= 16) return 4;
    return 8;
}

qsizetype rowBytes(int width, int bits) { return (qsizetype(width) * bits + 7) / 8; }

}  // namespace

ThumbnailStore::ThumbnailStore(int width, int height) : width_(width), height_(height) {}

void ThumbnailStore::setSize(int width, int height) {
    width_ = width;
    height_ = height;
}

ThumbnailStore::Entry ThumbnailStore::pack(const QImage& image) {
    Entry e;
    if (image.isNull()) return e;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    e.width = rgb.width();
    e.height = rgb.height();

    ColourTable table;
    std::vector<uint8_t> indices;
    indices.reserve(size_t(e.width) * size_t(e.height));
    bool direct = false;
    for (int y = 0; y < e.height && !direct; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < e.width; ++x) {
            const int i = table.indexOf(line[x] | 0xFF000000u);
            if (i < 0) {
                direct = true;
                break;
            }
            indices.push_back(uint8_t(i));
        }
    }

    if (direct) {
        e.bits = 24;
        const qsizetype stride = rowBytes(e.width, 24);
        e.data.resize(stride * e.height);
        auto* out = reinterpret_cast<uint8_t*>(e.data.data());
        for (int y = 0; y < e.height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < e.width; ++x, out += 3) {
                out[0] = uint8_t(qRed(line[x]));
                out[1] = uint8_t(qGreen(line[x]));
                out[2] = uint8_t(qBlue(line[x]));
            }
        }
        return e;
    }

    e.bits = indexBits(table.colours.size());
    const qsizetype paletteBytes = qsizetype(3) << e.bits;
    const qsizetype stride = rowBytes(e.width, e.bits);
    e.data = QByteArray(paletteBytes + stride * e.height, '\0');
    auto* p = reinterpret_cast<uint8_t*>(e.data.data());
    for (size_t i = 0; i < table.colours.size(); ++i) {
        p[3 * i] = uint8_t(qRed(table.colours[i]));
        p[3 * i + 1] = uint8_t(qGreen(table.colours[i]));
        p[3 * i + 2] = uint8_t(qBlue(table.colours[i]));
    }
    const int perByte = 8 / e.bits;
    size_t k = 0;
    for (int y = 0; y < e.height; ++y) {
        uint8_t* row = p + paletteBytes + stride * y;
        for (int x = 0; x < e.width; ++x, ++k)
            row[x / perByte] |= uint8_t(indices[k] << (8 - e.bits * (x % perByte + 1)));
    }
    return e;
}

QImage ThumbnailStore::unpack(const Entry& e) {
    if (e.width <= 0 || e.height <= 0) return {};
    QImage img(e.width, e.height, QImage::Format_RGB32);
    const auto* p = reinterpret_cast<const uint8_t*>(e.data.constData());
    if (e.bits == 24) {
        for (int y = 0; y < e.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            const uint8_t* in = p + rowBytes(e.width, 24) * y;
            for (int x = 0; x < e.width; ++x, in += 3) line[x] = qRgb(in[0], in[1], in[2]);
        }
        return img;
    }
    const qsizetype paletteBytes = qsizetype(3) << e.bits;
    const qsizetype stride = rowBytes(e.width, e.bits);
    const int perByte = 8 / e.bits;
    const unsigned mask = (1u << e.bits) - 1;
    for (int y = 0; y < e.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const uint8_t* row = p + paletteBytes + stride * y;
        for (int x = 0; x < e.width; ++x) {
            const unsigned i = (row[x / perByte] >> (8 - e.bits * (x % perByte + 1))) & mask;
            line[x] = qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
        }
    }
    return img;
}

bool ThumbnailStore::add(const QImage& image) {
    if (count() >= kCapacity) return false;
    entries_.push_back(pack(image));
    return true;
}

bool ThumbnailStore::addAll(const std::vector<QImage>& images) {
    if (count() + qsizetype(images.size()) > kCapacity) return false;
    std::vector<Entry> packed(images.size());
    // On Qt's pool, whose threads live as long as the process; each call touches its own entry.
    QtConcurrent::blockingMap(packed, [&](Entry& entry) { entry = pack(images[size_t(&entry - packed.data())]); });
    entries_.insert(entries_.end(), std::make_move_iterator(packed.begin()), std::make_move_iterator(packed.end()));
    return true;
}

bool ThumbnailStore::replace(int index, const QImage& image) {
    if (!valid(index)) return false;
    entries_[size_t(index)] = pack(image);
    return true;
}

bool ThumbnailStore::remove(int index) {
    if (!valid(index)) return false;
    entries_.erase(entries_.begin() + index);
    return true;
}

void ThumbnailStore::clear() { entries_.clear(); }

QImage ThumbnailStore::image(int index) const { return valid(index) ? unpack(entries_[size_t(index)]) : QImage(); }

void ThumbnailStore::draw(QPainter& painter, int x, int y, int index) const {
    if (!valid(index)) return;
    const QImage img = unpack(entries_[size_t(index)]);
    const QRect source = img.rect() & QRect(0, 0, width_, height_);
    if (source.isEmpty()) return;
    painter.drawImage(QPoint(x, y), img, source);
}

qsizetype ThumbnailStore::storedBytes() const {
    qsizetype total = 0;
    for (const Entry& e : entries_) total += e.data.size();
    return total;
}

}  // namespace qv
