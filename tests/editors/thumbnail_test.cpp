#include "editors/thumbnail.h"
#include "editors/thumbnail_store.h"

#include <QPainter>
#include <QRect>
#include <gtest/gtest.h>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

bool onFrame(int x, int y) { return (y == 0 || y == 46 || x == 0 || x == 47) && y <= 46; }

TEST(Thumbnail, RoundHalfToEven) {
    const struct {
        int64_t n, d;
        int expected;
    } cases[] = {{15, 2, 8}, {13, 2, 6}, {144, 10, 14}, {5, 2, 2}, {7, 2, 4}, {146, 10, 15}, {0, 7, 0}, {2640, 352, 8}};
    for (const auto& c : cases) EXPECT_EQ(qv::roundHalfEven(c.n, c.d), c.expected) << c.n << "/" << c.d;
}

TEST(Thumbnail, FitTable) {
    const struct {
        QSize picture, fit;
    } cases[] = {
        {{96, 48}, {48, 24}},  {{20, 30}, {20, 30}},  {{30, 100}, {14, 48}}, {{352, 55}, {48, 8}},
        {{48, 48}, {48, 48}},  {{100, 100}, {48, 48}}, {{48, 49}, {47, 48}}, {{120, 160}, {36, 48}},
        {{200, 50}, {48, 12}}, {{1000, 1}, {48, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qv::thumbnailFit(c.picture.width(), c.picture.height()), c.fit)
            << c.picture.width() << "x" << c.picture.height();
}

// The whole thumbnail against: frame, else the picture's rectangle in red, else white.
void expectLayout(const QImage& thumb, const QRect& picture) {
    ASSERT_EQ(thumb.size(), QSize(48, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb expected = onFrame(x, y) ? kBlack : picture.contains(x, y) ? kRed : kWhite;
            ASSERT_EQ(thumb.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(Thumbnail, PlacementExamples) {
    const struct {
        QSize picture;
        QRect placed;
    } cases[] = {
        {{96, 48}, {0, 12, 48, 24}}, {{20, 30}, {14, 9, 20, 30}}, {{30, 100}, {17, 0, 14, 48}},
        {{352, 55}, {0, 20, 48, 8}}, {{1, 1}, {23, 23, 1, 1}},     {{48, 48}, {0, 0, 48, 48}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        expectLayout(qv::makeThumbnail(solid(c.picture.width(), c.picture.height(), kRed)), c.placed);
    }
}

TEST(Thumbnail, FrameLeavesLastRowAndIsDrawnOverThePicture) {
    const QImage thumb = qv::makeThumbnail(solid(48, 48, kRed));
    for (int x = 0; x < 48; ++x) {
        EXPECT_EQ(thumb.pixel(x, 47), kRed) << x;
        EXPECT_EQ(thumb.pixel(x, 46), kBlack) << x;
    }
    const QImage empty = qv::makeThumbnail(QImage());
    EXPECT_EQ(empty.pixel(0, 47), kWhite);
    EXPECT_EQ(empty.pixel(47, 46), kBlack);
    EXPECT_EQ(empty.pixel(20, 20), kWhite);
}

TEST(Thumbnail, NearestNeighbourTakesTheLeftAndTopSourcePixel) {
    // 96 × 96 halves: source pixel (2·dx, 2·dy) is sampled, so odd columns and rows never show.
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

QImage canvas() { return solid(100, 100, kWhite); }

QImage drawn(const qv::TMyImageList& store, int index, int x = 10, int y = 20) {
    QImage c = canvas();
    QPainter p(&c);
    store.draw(p, x, y, index);
    p.end();
    return c;
}

TEST(ThumbnailStore, KeepsImagesExactly) {
    qv::TMyImageList store;
    EXPECT_EQ(store.width(), 48);
    EXPECT_EQ(store.height(), 48);
    QImage busy(48, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) busy.setPixel(x, y, qRgb(x * 5, y * 5, (x * y) % 256));
    ASSERT_TRUE(store.add(busy));
    ASSERT_TRUE(store.add(qv::makeThumbnail(solid(20, 30, kRed))));
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.image(0), busy);
    EXPECT_EQ(store.image(1), qv::makeThumbnail(solid(20, 30, kRed)));
    EXPECT_LT(store.storedBytes(), 2 * 48 * 48 * 3);
}

TEST(ThumbnailStore, DeleteMovesLaterImagesDown) {
    qv::TMyImageList store;
    for (int i = 0; i < 3; ++i) store.add(numbered(i + 1));
    ASSERT_TRUE(store.remove(0));
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.image(0), numbered(2));
    EXPECT_EQ(store.image(1), numbered(3));
    QImage expected = canvas();
    QPainter(&expected).drawImage(10, 20, numbered(2));
    EXPECT_EQ(drawn(store, 0), expected);
}

TEST(ThumbnailStore, ReplaceSwapsOneImage) {
    qv::TMyImageList store;
    for (int i = 0; i < 3; ++i) store.add(numbered(i + 1));
    ASSERT_TRUE(store.replace(1, numbered(9)));
    EXPECT_EQ(store.count(), 3);
    EXPECT_EQ(store.image(0), numbered(1));
    EXPECT_EQ(store.image(1), numbered(9));
    EXPECT_EQ(store.image(2), numbered(3));
}

TEST(ThumbnailStore, EmptyStoreAndBadIndicesChangeNothing) {
    qv::TMyImageList store;
    EXPECT_FALSE(store.replace(0, numbered(1)));
    EXPECT_FALSE(store.remove(0));
    EXPECT_EQ(drawn(store, 0), canvas());
    EXPECT_EQ(store.count(), 0);

    store.add(numbered(1));
    for (int bad : {-1, 1, 5}) {
        EXPECT_FALSE(store.replace(bad, numbered(2))) << bad;
        EXPECT_FALSE(store.remove(bad)) << bad;
        EXPECT_TRUE(store.image(bad).isNull()) << bad;
        EXPECT_EQ(drawn(store, bad), canvas()) << bad;
    }
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(store.image(0), numbered(1));
    store.clear();
    EXPECT_EQ(store.count(), 0);
}

TEST(ThumbnailStore, DrawsUnscaledWithinTheStoreSize) {
    qv::TMyImageList store;
    store.setSize(10, 6);
    store.add(solid(48, 48, kRed));
    const QImage c = drawn(store, 0, 30, 40);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(c.pixel(x, y), QRect(30, 40, 10, 6).contains(x, y) ? kRed : kWhite) << x << "," << y;
}

TEST(ThumbnailStore, RefusesImagesPastCapacity) {
    qv::TMyImageList store;
    const QImage tiny = solid(1, 1, kRed);
    for (int i = 0; i < qv::TMyImageList::kCapacity; ++i) ASSERT_TRUE(store.add(tiny)) << i;
    EXPECT_FALSE(store.add(tiny));
    EXPECT_EQ(store.count(), 32768);
}

}  // namespace
