#include "demo_model/demo_pictures.h"

#include "demo_model/tiny_font.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <array>

namespace qv::demo {
namespace {

enum class Shape { Circle, Square, Triangle, Diamond, Cross, Rings, Star, Stripes, Checker };
enum class Backdrop { Plain, Gradient };

struct Look {
    Shape shape;
    Backdrop backdrop;
    QRgb paper;
    QRgb ink;
};

struct Layout {
    uint8_t format, variant;
};

// Every layout the phone decodes, in the order the large tables cycle through them.
constexpr std::array<Layout, 11> kLayouts = {{
    {0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0},
}};

bool isMono(int format) { return format == 0; }
bool isGrey(int format) { return format == 1 || format == 2; }

void fillBackdrop(QImage& img, const Look& look) {
    if (look.backdrop == Backdrop::Plain) {
        img.fill(look.paper);
        return;
    }
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Darkens downwards and shifts the green across, so neighbours rarely share a colour.
            const int r = qRed(look.paper) * (2 * h - y) / (2 * h);
            const int g = qGreen(look.paper) * (3 * w - x) / (3 * w);
            const int b = qBlue(look.paper) * (2 * h - y / 2) / (2 * h);
            img.setPixel(x, y, qRgb(r, g, b));
        }
}

QPolygon fivePointStar(QPoint c, int outer, int inner) {
    // Fixed unit vectors (in thousandths, every 36 degrees from the top) keep the outline free
    // of floating-point differences between machines.
    static const int kCos[10] = {0, 588, 951, 951, 588, 0, -588, -951, -951, -588};
    static const int kSin[10] = {-1000, -809, -309, 309, 809, 1000, 809, 309, -309, -809};
    QPolygon poly;
    for (int i = 0; i < 10; ++i) {
        const int radius = i % 2 ? inner : outer;
        poly << QPoint(c.x() + kCos[i] * radius / 1000, c.y() + kSin[i] * radius / 1000);
    }
    return poly;
}

void drawShape(QImage& img, const Look& look) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(look.ink);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const int w = img.width(), h = img.height();
    const int s = std::max(2, std::min(w, h) * 3 / 5);  // shape size
    const QPoint c(w / 2, h - h / 2 + (h > 32 ? h / 10 : 0));
    const QRect box(c.x() - s / 2, c.y() - s / 2, s, s);
    switch (look.shape) {
    case Shape::Circle: p.drawEllipse(box); break;
    case Shape::Square: p.drawRect(box.adjusted(s / 8, s / 8, -s / 8, -s / 8)); break;
    case Shape::Triangle:
        p.drawPolygon(QPolygon({box.bottomLeft(), box.bottomRight(), QPoint(c.x(), box.top())}));
        break;
    case Shape::Diamond:
        p.drawPolygon(QPolygon({QPoint(c.x(), box.top()), QPoint(box.right(), c.y()),
                                QPoint(c.x(), box.bottom()), QPoint(box.left(), c.y())}));
        break;
    case Shape::Cross:
        p.drawRect(c.x() - s / 6, box.top(), s / 3, s);
        p.drawRect(box.left(), c.y() - s / 6, s, s / 3);
        break;
    case Shape::Rings: {
        p.setBrush(Qt::NoBrush);
        QPen pen(ink);
        pen.setWidth(std::max(1, s / 12));
        p.setPen(pen);
        for (int r = s / 2; r > 1; r -= std::max(2, s / 6)) p.drawEllipse(c, r, r);
        break;
    }
    case Shape::Star: p.drawPolygon(fivePointStar(c, s / 2, s / 5)); break;
    case Shape::Stripes:
        for (int x = -h; x < w; x += 4) {
            QPen pen(ink);
            pen.setWidth(1);
            p.setPen(pen);
            p.drawLine(x, h - 1, x + h - 1, 0);
        }
        break;
    case Shape::Checker: {
        const int cell = std::max(2, s / 4);
        for (int y = box.top(); y < box.bottom(); y += cell)
            for (int x = box.left(); x < box.right(); x += cell)
                if (((x - box.left()) / cell + (y - box.top()) / cell) % 2 == 0) p.drawRect(x, y, cell, cell);
        break;
    }
    }
}

QString shortCaption(int format, int variant) {
    static const char* kShort[8] = {"M", "2", "4", "8", "16", "24", "32", "R"};
    QString s = QString::fromLatin1(kShort[format & 7]);
    if (variant == 1) s += u'C';
    if (variant == 2) s += u'W';
    return s;
}

// The largest caption that fits across the top, with the size beneath it when there is room.
void drawCaption(QImage& img, int format, int variant, QRgb color, const QString& extra = {}) {
    const int w = img.width(), h = img.height();
    QString text = extra.isEmpty() ? layoutCaption(format, variant) : extra;
    int scale = (w >= 96 && tinyTextWidth(text, 2) <= w - 4) ? 2 : 1;
    if (tinyTextWidth(text, scale) > w - 2) text = extra.isEmpty() ? shortCaption(format, variant) : QString();
    if (text.isEmpty() || tinyTextWidth(text, 1) > w - 2 || h < 20) return;  // tiny ones: shape only
    drawTinyText(img, 2, 2, text, QColor(color), scale);
    const QString size = QStringLiteral("%1x%2").arg(w).arg(h);
    const int sizeTop = 4 + kTinyGlyphHeight * scale;
    if (h >= 64 && tinyTextWidth(size) <= w - 2) drawTinyText(img, 2, sizeTop, size, QColor(color));
}

DemoPicture drawn(int w, int h, Layout layout, Look look, const QString& caption = {}) {
    if (isMono(layout.format)) look = {look.shape, Backdrop::Plain, qRgb(255, 255, 255), qRgb(0, 0, 0)};
    if (isGrey(layout.format)) {
        const int g = qGray(look.ink) / 2;  // a dark shape on a light grey sky
        look = {look.shape, Backdrop::Gradient, qRgb(240, 240, 240), qRgb(g, g, g)};
    }
    QImage img(w, h, QImage::Format_RGB32);
    fillBackdrop(img, look);
    drawShape(img, look);
    const QRgb text = isMono(layout.format) || isGrey(layout.format) || qGray(look.paper) > 110
                          ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    drawCaption(img, layout.format, layout.variant, text, caption);
    return {layout.format, layout.variant, img};
}

// A wallpaper made for the run-length form: exact 256-pixel runs, long runs that must be split,
// a strip where every pixel differs (literals) and shapes that break rows into short runs.
DemoPicture runLengthWallpaper() {
    const int w = 128, h = 160;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(30, 140, 60));
    for (int x = 0; x < w; ++x) {
        img.setPixel(x, 0, qRgb(40, 40, 120));
        img.setPixel(x, 1, qRgb(40, 40, 120));  // two full rows: one run of exactly 256
        for (int y = 2; y < 40; ++y) img.setPixel(x, y, qRgb(200, 80, 40));
        for (int y = 40; y < 80; ++y)
            img.setPixel(x, y, qRgb(160 + (y - 40), (x * 4) & 0xFC, (y - 40) * 6));
    }
    {
        QPainter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 220, 40));
        p.drawEllipse(QPoint(88, 112), 22, 22);
        p.setBrush(QColor(90, 60, 30));
        p.drawRect(16, 118, 30, 34);
    }
    drawTinyText(img, 4, 8, QStringLiteral("RLE"), QColor(255, 255, 255), 2);
    drawTinyText(img, 4, 26, QStringLiteral("128x160"), QColor(255, 255, 255));
    return {7, 0, img};
}

// Mono and grey pictures take their colours from the format; the defaults suit them.
Look look(Shape shape, QRgb paper = qRgb(255, 255, 255), QRgb ink = qRgb(0, 0, 0),
          Backdrop backdrop = Backdrop::Gradient) {
    return {shape, backdrop, paper, ink};
}

}  // namespace

QString layoutCaption(int format, int variant) {
    switch (format) {
    case 0: return variant == 0 ? QStringLiteral("MONO") : variant == 1 ? QStringLiteral("MONO COLS")
                                                                         : QStringLiteral("MONO WORDS");
    case 1: return variant == 0 ? QStringLiteral("2 BIT") : QStringLiteral("GREY COLS");
    case 2: return QStringLiteral("4 BIT");
    case 3: return QStringLiteral("8 BIT");
    case 4: return QStringLiteral("16 BIT");
    case 5: return QStringLiteral("24 BIT");
    case 6: return QStringLiteral("32 BIT");
    case 7: return QStringLiteral("RLE");
    default: return {};
    }
}

std::vector<DemoPicture> normalPictures() {
    const QRgb sky = qRgb(120, 180, 250), sand = qRgb(250, 220, 150), rose = qRgb(250, 160, 190);
    const QRgb mint = qRgb(170, 240, 200), night = qRgb(30, 30, 80);
    std::vector<DemoPicture> out;
    // Wallpapers.
    out.push_back(drawn(128, 160, {4, 0}, look(Shape::Circle, sky, qRgb(255, 200, 0))));
    out.push_back(runLengthWallpaper());
    out.push_back(drawn(128, 160, {3, 0}, look(Shape::Triangle, sand, qRgb(120, 60, 20))));
    out.push_back(drawn(128, 160, {5, 0}, look(Shape::Rings, night, qRgb(250, 250, 120))));
    // Banners.
    out.push_back(drawn(96, 64, {6, 0}, look(Shape::Star, rose, qRgb(160, 0, 80))));
    out.push_back(drawn(96, 64, {4, 0}, look(Shape::Diamond, mint, qRgb(0, 120, 60))));
    out.push_back(drawn(96, 64, {0, 1}, look(Shape::Cross)));
    out.push_back(drawn(96, 64, {1, 1}, look(Shape::Circle)));
    out.push_back(drawn(96, 64, {2, 0}, look(Shape::Checker)));
    // Icons.
    out.push_back(drawn(48, 48, {0, 0}, look(Shape::Square)));
    out.push_back(drawn(48, 48, {0, 2}, look(Shape::Triangle), QStringLiteral("WORDS")));
    out.push_back(drawn(48, 48, {1, 0}, look(Shape::Diamond)));
    out.push_back(drawn(48, 48, {3, 0}, look(Shape::Star, sky, qRgb(200, 0, 0))));
    out.push_back(drawn(48, 48, {7, 0}, look(Shape::Circle, qRgb(250, 250, 250), qRgb(230, 20, 20), Backdrop::Plain)));
    out.push_back(drawn(48, 48, {4, 0}, look(Shape::Rings, sand, qRgb(0, 0, 160))));
    // Small pictures, including sizes that do not fill whole bytes, bands or words.
    out.push_back(drawn(30, 20, {1, 0}, look(Shape::Triangle)));
    out.push_back(drawn(16, 16, {4, 0}, look(Shape::Circle, mint, qRgb(200, 0, 0))));
    out.push_back(drawn(16, 16, {0, 1}, look(Shape::Cross)));
    out.push_back(drawn(16, 16, {7, 0}, look(Shape::Diamond, qRgb(255, 255, 255), qRgb(0, 0, 255), Backdrop::Plain)));
    out.push_back(drawn(10, 8, {0, 0}, look(Shape::Square)));
    out.push_back(drawn(13, 10, {0, 1}, look(Shape::Triangle)));
    out.push_back(drawn(20, 20, {0, 2}, look(Shape::Circle)));
    out.push_back(drawn(12, 12, {1, 1}, look(Shape::Diamond)));
    out.push_back(drawn(15, 9, {2, 0}, look(Shape::Stripes)));
    out.push_back(drawn(24, 24, {6, 0}, look(Shape::Star, qRgb(255, 255, 200), qRgb(0, 140, 0))));
    out.push_back(drawn(64, 64, {5, 0}, look(Shape::Checker, sky, qRgb(250, 250, 250))));
    // The extra entry the list never shows.
    out.push_back(drawn(32, 32, {4, 0}, look(Shape::Square, rose, qRgb(0, 0, 0)), QStringLiteral("LAST")));
    return out;
}

std::vector<DemoPicture> fullTablePictures(int count) {
    std::vector<DemoPicture> out = normalPictures();
    out.pop_back();
    static const Shape kShapes[] = {Shape::Circle, Shape::Square, Shape::Triangle, Shape::Diamond,
                                    Shape::Cross,  Shape::Rings,  Shape::Star,     Shape::Checker};
    for (int i = int(out.size()); i < count; ++i) {
        const Layout layout = kLayouts[size_t(i) % kLayouts.size()];
        const QRgb paper = QColor::fromHsv((i * 37) % 360, 90, 240).rgb();
        const QRgb ink = QColor::fromHsv((i * 37 + 180) % 360, 255, 140).rgb();
        // Wide formats get fewer rows so that a full model's dumps stay within 16 MiB each.
        const int h = layout.format == 5 || layout.format == 6 ? 24 : 32;
        const Backdrop backdrop = layout.format == 7 ? Backdrop::Plain : Backdrop::Gradient;
        out.push_back(drawn(32, h, layout, look(kShapes[size_t(i) % 8], paper, ink, backdrop), QString::number(i)));
    }
    return out;
}

}  // namespace qv::demo
