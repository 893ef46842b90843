#include "editors/thumbnail.h"

#include "base/rounding.h"

namespace qv {

namespace {
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
// The frame encloses (0,0)-(48,47) with its right and bottom edges exclusive.
constexpr int kFrameRight = kThumbnailSize - 1;
constexpr int kFrameBottom = kThumbnailSize - 2;
}  // namespace

int roundHalfEven(int64_t numerator, int64_t denominator) { return int(roundHalfEvenQuotient(numerator, denominator)); }

QSize thumbnailFit(int width, int height) {
    if (width <= kThumbnailSize && height <= kThumbnailSize) return {width, height};
    const int64_t longer = width > height ? width : height;
    return {roundHalfEven(int64_t(width) * kThumbnailSize, longer),
            roundHalfEven(int64_t(height) * kThumbnailSize, longer)};
}

QImage makeThumbnail(const QImage& picture) {
    QImage thumb(kThumbnailSize, kThumbnailSize, QImage::Format_RGB32);
    thumb.fill(kWhite);
    if (!picture.isNull()) {
        const QImage src = picture.convertToFormat(QImage::Format_RGB32);
        const int sw = src.width(), sh = src.height();
        const QSize fit = thumbnailFit(sw, sh);
        const int w = fit.width(), h = fit.height();
        const int left = (kThumbnailSize - w) / 2, top = (kThumbnailSize - h) / 2;
        for (int dy = 0; dy < h; ++dy) {
            const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(int(int64_t(dy) * sh / h)));
            auto* out = reinterpret_cast<QRgb*>(thumb.scanLine(top + dy));
            for (int dx = 0; dx < w; ++dx) out[left + dx] = in[int64_t(dx) * sw / w];
        }
    }
    for (int x = 0; x <= kFrameRight; ++x) {
        thumb.setPixel(x, 0, kBlack);
        thumb.setPixel(x, kFrameBottom, kBlack);
    }
    for (int y = 0; y <= kFrameBottom; ++y) {
        thumb.setPixel(0, y, kBlack);
        thumb.setPixel(kFrameRight, y, kBlack);
    }
    return thumb;
}

}  // namespace qv
