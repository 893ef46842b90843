#include "app/skin.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#if defined(Q_OS_LINUX) && __has_include(<xcb/xcb.h>) && QT_CONFIG(xcb)
#define QV_HAVE_XCB 1
#include <QtGui/qguiapplication_platform.h>
#include <dlfcn.h>
#include <xcb/xcb.h>
#else
#define QV_HAVE_XCB 0
#endif

namespace qv {

QColor colorFromValue(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t valueFromColor(const QColor& color) {
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

namespace skin {
namespace {

const QColor kNavy(0x10, 0x20, 0x60);
const QColor kBlue(0x30, 0x58, 0xb8);
const QColor kSky(0x88, 0xa8, 0xe8);

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A rounded plate with a top-lit gradient; pressed plates are darker and lit from below.
void plate(QPainter& p, const QRectF& r, QColor base, bool pressed) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, pressed ? base.darker(160) : base.lighter(150));
    g.setColorAt(1, pressed ? base.darker(110) : base.darker(130));
    p.setPen(QPen(base.darker(220), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

}  // namespace

QImage titleStrip(int width) {
    QImage img(std::max(width, 1), kTitleHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, kTitleHeight);
    g.setColorAt(0, kSky);
    g.setColorAt(0.45, kBlue);
    g.setColorAt(1, kNavy);
    p.fillRect(img.rect(), g);
    p.setPen(kSky.lighter(120));
    p.drawLine(0, 0, img.width() - 1, 0);
    p.setPen(kNavy.darker(150));
    p.drawLine(0, kTitleHeight - 1, img.width() - 1, kTitleHeight - 1);
    return img;
}

QImage titleButton(TitleButton button, bool pressed) {
    QImage img = blank(19, 17);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, img.rect(), button == TitleButton::Close ? QColor(0xc0, 0x40, 0x30) : kBlue, pressed);
    const qreal d = pressed ? 1 : 0;  // the glyph sinks with the button
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (button) {
    case TitleButton::Close:
        p.drawLine(QPointF(6 + d, 5 + d), QPointF(13 + d, 12 + d));
        p.drawLine(QPointF(13 + d, 5 + d), QPointF(6 + d, 12 + d));
        break;
    case TitleButton::Minimise:
        p.drawLine(QPointF(5 + d, 12 + d), QPointF(14 + d, 12 + d));
        break;
    case TitleButton::Options: {  // a half-filled disc: contrast and colour
        const QRectF disc(5 + d, 4 + d, 9, 9);
        p.setPen(QPen(Qt::white, 1.5));
        p.drawEllipse(disc);
        p.setBrush(Qt::white);
        p.drawPie(disc, 90 * 16, 180 * 16);
        break;
    }
    }
    return img;
}

QImage windowIcon() {
    QImage img = blank(20, 20);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A small handset: body, screen and keypad dots.
    p.setPen(QPen(kNavy.darker(150), 1));
    p.setBrush(QColor(0xe8, 0xe8, 0xf0));
    p.drawRoundedRect(QRectF(5.5, 1.5, 9, 17), 2, 2);
    p.setBrush(QColor(0x60, 0xb0, 0x60));
    p.drawRect(QRectF(7, 3.5, 6, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) p.drawEllipse(QPointF(7.5 + col * 2.5, 11 + row * 2.3), 0.8, 0.8);
    return img;
}

QImage applyImage(bool pressed) {
    QImage img = blank(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, img.rect(), QColor(0x30, 0x90, 0x40), pressed);
    const qreal d = pressed ? 1 : 0;
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(6 + d, 12 + d);
    tick.lineTo(10 + d, 17 + d);
    tick.lineTo(18 + d, 7 + d);
    p.drawPath(tick);
    return img;
}

QImage cancelImage(bool pressed) {
    QImage img = blank(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, img.rect(), QColor(0xb0, 0x30, 0x28), pressed);
    const qreal d = pressed ? 1 : 0;
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7 + d, 7 + d), QPointF(17 + d, 17 + d));
    p.drawLine(QPointF(17 + d, 7 + d), QPointF(7 + d, 17 + d));
    return img;
}

QImage dialogCloseImage(bool pressed) {
    QImage img = blank(40, 20);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, img.rect(), kBlue, pressed);
    const qreal d = pressed ? 1 : 0;
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16 + d, 6 + d), QPointF(24 + d, 14 + d));
    p.drawLine(QPointF(24 + d, 6 + d), QPointF(16 + d, 14 + d));
    return img;
}

QImage buttonPlate(QSize size) {
    QImage img = blank(std::max(size.width(), 1), std::max(size.height(), 1));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, img.height());
    g.setColorAt(0, QColor(0x98, 0x98, 0xa0));
    g.setColorAt(1, QColor(0xe0, 0xe0, 0xe8));
    p.setPen(QPen(QColor(0x70, 0x70, 0x78), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(img.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    return img;
}

}  // namespace skin

QImage tintBackground(const QImage& captured, uint32_t backColor, int transparency) {
    QImage out = captured.copy();  // a deep copy: the captured image stays as it was
    const int t = std::clamp(transparency, 0, 100);
    const int cr = int(backColor & 0xFF), cg = int((backColor >> 8) & 0xFF), cb = int((backColor >> 16) & 0xFF);
    auto mix = [t](int c, int p) { return (c * (100 - t) + p * t) / 100; };

    switch (out.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        for (int y = 0; y < out.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) {
                const QRgb p = line[x];
                line[x] = qRgba(mix(cr, qRed(p)), mix(cg, qGreen(p)), mix(cb, qBlue(p)), qAlpha(p));
            }
        }
        break;
    case QImage::Format_RGB888:
        for (int y = 0; y < out.height(); ++y) {
            uchar* b = out.scanLine(y);
            for (int x = 0; x < out.width(); ++x, b += 3) {
                b[0] = uchar(mix(cr, b[0]));
                b[1] = uchar(mix(cg, b[1]));
                b[2] = uchar(mix(cb, b[2]));
            }
        }
        break;
    case QImage::Format_RGB555:
        for (int y = 0; y < out.height(); ++y) {
            auto* line = reinterpret_cast<quint16*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) {
                const quint16 p = line[x];
                const int r = mix(cr, ((p >> 10) & 0x1F) << 3) >> 3;
                const int g = mix(cg, ((p >> 5) & 0x1F) << 3) >> 3;
                const int b = mix(cb, (p & 0x1F) << 3) >> 3;
                line[x] = quint16((p & 0x8000) | (r << 10) | (g << 5) | b);
            }
        }
        break;
    default:
        break;
    }
    return out;
}

namespace {

bool platformHidesScreen() {
    const QString name = QGuiApplication::platformName();
    return name == u"offscreen" || name == u"minimal" || name.startsWith(u"wayland");
}

#if QV_HAVE_XCB
// The xcb calls come from the libxcb the xcb platform plugin already loaded, so the program
// itself needs no X library to start on other platforms.
bool compositorRunning() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    void* lib = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) return false;
    const auto intern = reinterpret_cast<decltype(&xcb_intern_atom)>(dlsym(lib, "xcb_intern_atom"));
    const auto internReply = reinterpret_cast<decltype(&xcb_intern_atom_reply)>(dlsym(lib, "xcb_intern_atom_reply"));
    const auto owner = reinterpret_cast<decltype(&xcb_get_selection_owner)>(dlsym(lib, "xcb_get_selection_owner"));
    const auto ownerReply =
        reinterpret_cast<decltype(&xcb_get_selection_owner_reply)>(dlsym(lib, "xcb_get_selection_owner_reply"));
    bool running = false;
    if (intern && internReply && owner && ownerReply) {
        // The screen number of DISPLAY (":0.1" is screen 1).
        const QString display = qEnvironmentVariable("DISPLAY");
        const int colon = int(display.lastIndexOf(u':'));
        const int dot = int(display.indexOf(u'.', colon + 1));
        const int screen = colon >= 0 && dot > colon ? display.mid(dot + 1).toInt() : 0;
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
        if (xcb_intern_atom_reply_t* atom =
                internReply(c, intern(c, 1, uint16_t(name.size()), name.constData()), nullptr)) {
            if (atom->atom != XCB_ATOM_NONE) {
                if (xcb_get_selection_owner_reply_t* o = ownerReply(c, owner(c, atom->atom), nullptr)) {
                    running = o->owner != XCB_NONE;
                    free(o);
                }
            }
            free(atom);
        }
    }
    dlclose(lib);
    return running;
}
#else
bool compositorRunning() { return false; }
#endif

bool allBlack(const QImage& img) {
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0) return false;
    }
    return true;
}

}  // namespace

QImage captureScreenUnder(const QRect& globalRect) {
    if (globalRect.isEmpty() || platformHidesScreen()) return {};
    QScreen* screen = QGuiApplication::screenAt(globalRect.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {};

    // Grab the whole screen and cut the rectangle out, so the coordinates do not depend on
    // how a platform reads the offsets of a whole-screen grab.
    const QPixmap whole = screen->grabWindow(0);
    if (whole.isNull()) return {};
    const qreal ratio = whole.devicePixelRatio() > 0 ? whole.devicePixelRatio() : 1.0;
    const QSize logical = (QSizeF(whole.size()) / ratio).toSize();
    const QPoint origin =
        logical == screen->virtualGeometry().size() ? screen->virtualGeometry().topLeft() : screen->geometry().topLeft();
    const QRect local = globalRect.translated(-origin);
    const QRect device(QPointF(local.topLeft()).toPoint() * ratio, (QSizeF(local.size()) * ratio).toSize());

    QImage part(globalRect.size(), QImage::Format_RGB32);
    part.fill(Qt::black);
    {
        QPainter p(&part);
        const QImage src = whole.toImage().copy(device);
        p.drawImage(QRect(QPoint(0, 0), globalRect.size()), src);
    }
    if (allBlack(part)) return {};
    return part;
}

bool screenCanBeRead() {
    const QString name = QGuiApplication::platformName();
    if (name == u"windows") return true;
    return name == u"xcb" && !compositorRunning();
}

QImage plainBackground(QSize size, uint32_t backColor) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colorFromValue(backColor));
    return img;
}

QImage composeMovedBackground(const QImage& oldCaptured, QPoint offset, const QImage& screenNow, uint32_t backColor) {
    const QSize size = !oldCaptured.isNull() ? oldCaptured.size() : screenNow.size();
    if (size.isEmpty()) return {};
    QImage out = plainBackground(size, backColor);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (!screenNow.isNull()) p.drawImage(QPoint(0, 0), screenNow);
    // A pixel at p of the new place lies at p + offset of the old place.
    if (!oldCaptured.isNull()) p.drawImage(-offset, oldCaptured);
    return out;
}

}  // namespace qv
