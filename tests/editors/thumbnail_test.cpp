#include "editors/thumbnail.h"
#include "editors/thumbnail_store.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0), kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

TEST(Thumbnail, RoundHalfToEven) {
    const struct {
        int64_t n, d;
        int expected;
    } cases[] = {{15, 2, 8}, {13, 2, 6}, {144, 10, 14}, {5, 2, 2}, {7, 2, 4}, {146, 10, 15}, {0, 7, 0}, {2640, 352, 8}};
    for (const auto& c : cases) EXPECT_EQ(qv::roundHalfEven(c.n, c.d), c.expected) << c.n << "/" << c.d;
}

// Every pixel: the frame (rows 0 and 46, columns 0 and 47 down to row 46), else red inside
// the picture's rectangle, else white.
void expectLayout(const QImage& thumb, const QRect& picture, QRgb colour = kRed) {
    ASSERT_EQ(thumb.size(), QSize(48, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const bool frame = y <= 46 && (y == 0 || y == 46 || x == 0 || x == 47);
            ASSERT_EQ(thumb.pixel(x, y), frame ? kBlack : picture.contains(x, y) ? colour : kWhite) << x << "," << y;
        }
}

TEST(Thumbnail, FitAndPlacement) {
    const struct {
        QSize picture;
        QRect placed;
    } cases[] = {
        {{96, 48}, {0, 12, 48, 24}},  {{20, 30}, {14, 9, 20, 30}},  {{30, 100}, {17, 0, 14, 48}},
        {{352, 55}, {0, 20, 48, 8}},  {{48, 48}, {0, 0, 48, 48}},   {{48, 49}, {0, 0, 47, 48}},
        {{100, 100}, {0, 0, 48, 48}}, {{120, 160}, {6, 0, 36, 48}}, {{1, 1}, {23, 23, 1, 1}},
        {{1000, 1}, {0, 24, 48, 0}},
    };
    for (const auto& c : cases) {
        const int w = c.picture.width(), h = c.picture.height();
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        EXPECT_EQ(qv::thumbnailFit(w, h), c.placed.size());
        expectLayout(qv::makeThumbnail(solid(w, h, kRed)), c.placed);
    }
    expectLayout(qv::makeThumbnail(QImage()), {});
}

TEST(Thumbnail, NearestNeighbourTakesTheLeftAndTopSourcePixel) {
    // Halving samples source pixel (2·dx, 2·dy), so odd columns and rows never show.
    QImage picture(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) picture.setPixel(x, y, (x % 2 || y % 2) ? kBlue : kRed);
    expectLayout(qv::makeThumbnail(picture), {0, 0, 48, 48});
}

// The store

QImage numbered(int n) {
    QImage img = solid(48, 48, qRgb(n, 2 * n, 3 * n));
    img.setPixel(5, 7, qRgb(255 - n, 0, n));
    return img;
}

QImage drawn(const qv::ThumbnailStore& store, int index, int x = 10, int y = 20) {
    QImage canvas = solid(100, 100, kWhite);
    QPainter p(&canvas);
    store.draw(p, x, y, index);
    return canvas;
}

TEST(ThumbnailStore, KeepsImagesExactlyAtEveryPackingDepth) {
    // Colour counts on both sides of each packing depth; odd widths leave part-filled bytes.
    for (int colours : {1, 2, 3, 4, 5, 16, 17, 256, 257, 2304}) {
        for (QSize size : {QSize(48, 48), QSize(47, 5), QSize(3, 50)}) {
            QImage img(size, QImage::Format_RGB32);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const int k = (x * 31 + y * 17) % colours;
                    img.setPixel(x, y, qRgb(k % 256, k / 256 * 40, 255 - k % 7));
                }
            qv::ThumbnailStore store;
            ASSERT_TRUE(store.add(img));
            EXPECT_EQ(store.image(0), img) << colours << " colours, " << size.width() << "x" << size.height();
        }
    }
    // A two-grey thumbnail with its frame takes 2 bits a pixel, not a 32-bit image.
    qv::ThumbnailStore store;
    for (int i = 0; i < 10; ++i) store.add(qv::makeThumbnail(solid(20 + i, 30, kRed)));
    EXPECT_LE(store.storedBytes(), 10 * (48 * 48 / 4 + 12));
}

TEST(ThumbnailStore, DeleteAndReplaceKeepRowOrder) {
    qv::ThumbnailStore store;
    for (int i = 1; i <= 3; ++i) store.add(numbered(i));
    ASSERT_TRUE(store.replace(2, numbered(9)));
    ASSERT_TRUE(store.remove(0));
    ASSERT_EQ(store.count(), 2);
    EXPECT_EQ(store.image(0), numbered(2));
    EXPECT_EQ(store.image(1), numbered(9));
    QImage expected = solid(100, 100, kWhite);
    QPainter(&expected).drawImage(10, 20, numbered(2));
    EXPECT_EQ(drawn(store, 0), expected);
    store.clear();
    EXPECT_EQ(store.count(), 0);
}

TEST(ThumbnailStore, EmptyStoreAndBadIndicesChangeNothing) {
    qv::ThumbnailStore store;
    EXPECT_FALSE(store.replace(0, numbered(1)));
    EXPECT_FALSE(store.remove(0));
    EXPECT_EQ(drawn(store, 0), solid(100, 100, kWhite));
    EXPECT_EQ(store.count(), 0);
    store.add(numbered(1));
    for (int bad : {-1, 1, 5}) {
        EXPECT_FALSE(store.replace(bad, numbered(2))) << bad;
        EXPECT_FALSE(store.remove(bad)) << bad;
        EXPECT_TRUE(store.image(bad).isNull()) << bad;
        EXPECT_EQ(drawn(store, bad), solid(100, 100, kWhite)) << bad;
    }
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(store.image(0), numbered(1));
}

TEST(ThumbnailStore, DrawsUnscaledWithinTheStoreSize) {
    qv::ThumbnailStore store;
    EXPECT_EQ(QSize(store.width(), store.height()), QSize(48, 48));
    store.setSize(10, 6);
    store.add(solid(48, 48, kRed));
    const QImage c = drawn(store, 0, 30, 40);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(c.pixel(x, y), QRect(30, 40, 10, 6).contains(x, y) ? kRed : kWhite) << x << "," << y;
}

TEST(ThumbnailStore, RefusesImagesPastCapacity) {
    qv::ThumbnailStore store;
    const QImage tiny = solid(1, 1, kRed);
    for (int i = 0; i < qv::ThumbnailStore::kCapacity; ++i) ASSERT_TRUE(store.add(tiny)) << i;
    EXPECT_FALSE(store.add(tiny));
    EXPECT_EQ(store.count(), 32768);
}

}  // namespace
