// libFuzzer target: the bitmap reader, the picture import rule on what it read, and the picture
// decoder on the raw input. The whole input is the bitmap file; the shapes are drawn from its
// tail, which the reader ignores past the pixel rows.
#include "editors/bmp_file.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace qv;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_bmp: %s\n", what);
    std::abort();
}

// Decoding allocates the whole raster, so most shapes stay small to keep the runs fast.
constexpr int kSmallSide = 300;
constexpr qint64 kLargestDecoded = qint64(1) << 17;

void checkBitmap(const Bitmap& bmp) {
    if (bmp.width <= 0 || bmp.height <= 0) broken("a bitmap without pixels was accepted");
    if (qint64(bmp.width) * bmp.height > kMaxBitmapPixels) broken("a bitmap over the pixel cap was accepted");
    if (bmp.pixels.size() != size_t(bmp.width) * size_t(bmp.height)) broken("pixel count differs from width x height");
    static constexpr int depths[] = {1, 4, 8, 16, 24, 32};
    if (std::find(std::begin(depths), std::end(depths), bmp.bitsPerPixel) == std::end(depths))
        broken("a bitmap of an unsupported depth was accepted");
    for (QRgb c : bmp.pixels)
        if (qAlpha(c) != 255) broken("a bitmap pixel is not opaque");
}

PictureShape drawShape(FuzzedDataProvider& fdp, int width, int height) {
    PictureShape s;
    s.width = width;
    s.height = height;
    s.format = fdp.ConsumeIntegralInRange<uint8_t>(0, 8);    // 8 is no format at all
    s.variant = fdp.ConsumeIntegralInRange<uint8_t>(0, 3);   // 3 is no layout at all
    s.phoneType = fdp.ConsumeIntegralInRange<uint16_t>(0, 9);
    return s;
}

void encodeInto(const PictureShape& shape, const Bitmap& bmp, int size) {
    const PictureImport r = importImage(shape, size, bmp);
    const bool fits = bmp.width == shape.width && bmp.height == shape.height && shape.format <= kFormatRunLength565;
    if (fits == r.shown.isNull() && qint64(decodedWidth(shape)) * shape.height <= kMaxPicturePixels)
        broken("an image of the picture's size was refused before encoding, or one of another size was not");
    if (r.refused() && !r.bytes.isEmpty()) broken("a refusal came with bytes");
    if (!r.refused() && r.bytes.size() != std::max(size, 0)) broken("the encoded bytes are not the item's size");
    // What the phone shows of the stored bytes is what the import said it would show.
    if (!r.refused() && cropToWidth(decodePicture(shape, r.bytes), shape.width) != r.shown)
        broken("the stored bytes decode to another picture");
}

void decodeFrom(const PictureShape& shape, QByteArrayView bytes) {
    const int w = decodedWidth(shape);
    const qint64 pixels = qint64(std::max(w, 0)) * std::max(shape.height, 0);
    if (pixels > kLargestDecoded && pixels <= kMaxPicturePixels) return;
    const QImage img = decodePicture(shape, bytes);
    const bool empty = w <= 0 || shape.height <= 0 || pixels > kMaxPicturePixels;
    if (img.isNull() != empty) broken("decodePicture gave an image for no pixels or none for some");
    if (empty) return;
    if (img.width() != w || img.height() != shape.height || img.format() != QImage::Format_RGB32)
        broken("the decoded raster has the wrong size or format");
    if (w < shape.width) broken("the decoded width is narrower than the entry");
    const QImage cropped = cropToWidth(img, shape.width);
    if (cropped.width() != shape.width || cropped.height() != shape.height) broken("cropping gave the wrong size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    FuzzedDataProvider fdp(data, size);

    const auto bmp = readBmp(bytes);
    if (bmp) {
        checkBitmap(*bmp);
        // The bitmap's own size, then sizes of other entries (including negative ones).
        encodeInto(drawShape(fdp, bmp->width, bmp->height), *bmp, fdp.ConsumeIntegralInRange<int>(0, 1 << 16));
        encodeInto(drawShape(fdp, fdp.ConsumeIntegral<uint16_t>(), fdp.ConsumeIntegral<uint16_t>()), *bmp,
                   fdp.ConsumeIntegralInRange<int>(-1, 1 << 16));
        encodeInto(drawShape(fdp, fdp.ConsumeIntegral<int16_t>(), fdp.ConsumeIntegral<int16_t>()), *bmp,
                   fdp.ConsumeIntegralInRange<int>(-1, 4096));
    } else if (bmp.error().detail().isEmpty()) {
        broken("a refused bitmap came without a message");
    }

    decodeFrom(drawShape(fdp, fdp.ConsumeIntegralInRange<int>(-1, kSmallSide), fdp.ConsumeIntegralInRange<int>(-1, kSmallSide)),
               bytes);
    decodeFrom(drawShape(fdp, fdp.ConsumeIntegral<uint16_t>(), fdp.ConsumeIntegral<uint16_t>()), bytes);
    return 0;
}
