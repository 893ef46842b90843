// The title strip: pressed looks only for the left button, the window menu, dragging the window
// or its outline.
#include "app/language_tags.h"
#include "app/title_bar.h"
#include "base/language_table.h"
#include "support/test_support.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace qv;

namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct ButtonCase {
    const char* name;
    void (TitleBar::*signal)();
};

TEST(TitleBarButtons, OnlyTheLeftButtonShowsThePressedLookAndClicks) {
    const ButtonCase cases[] = {
        {"closeButton", &TitleBar::closeClicked},
        {"minimiseButton", &TitleBar::minimiseClicked},
        {"optionsButton", &TitleBar::optionsClicked},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        window.resize(400, 100);
        auto* bar = new TitleBar(&window);
        bar->resize(400, bar->height());
        auto* button = bar->findChild<ImageButton*>(c.name);
        ASSERT_NE(button, nullptr);
        QSignalSpy clicked(bar, c.signal);
        QSignalSpy moved(bar, &TitleBar::dragFinished);

        for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(button, other);
            EXPECT_FALSE(button->showsPressedLook());
            QTest::mouseRelease(button, other);
        }
        EXPECT_EQ(clicked.count(), 0);

        QTest::mousePress(button, Qt::LeftButton);
        EXPECT_TRUE(button->showsPressedLook());
        QTest::mouseRelease(button, Qt::LeftButton);
        EXPECT_FALSE(button->showsPressedLook());
        EXPECT_EQ(clicked.count(), 1);
        EXPECT_EQ(moved.count(), 0);
    }
}

TEST(TitleBarMenu, ItemsActLikeTheButtonsAndTakeTheirTextsFromTheTable) {
    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("language.ini"), "[Language]\r\n8038=Verkleinern\r\n");
    languageTable().load(dir.path());
    QWidget window;
    auto* bar = new TitleBar(&window);
    applyLanguage(&window);
    languageTable().loadDefaults();

    auto* minimise = bar->findChild<QAction*>("minimiseItem");
    auto* close = bar->findChild<QAction*>("closeItem");
    ASSERT_TRUE(minimise && close);
    EXPECT_EQ(minimise->text(), "Verkleinern");
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(bar->windowMenu()->actions(), (QList<QAction*>{minimise, close}));

    QSignalSpy minimised(bar, &TitleBar::minimiseClicked);
    QSignalSpy closed(bar, &TitleBar::closeClicked);
    minimise->trigger();
    close->trigger();
    EXPECT_EQ(minimised.count(), 1);
    EXPECT_EQ(closed.count(), 1);
}

class TitleBarDrag : public ::testing::Test {
protected:
    void SetUp() override {
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.setGeometry(100, 100, 300, 200);
        bar = new TitleBar(&window);
        bar->setGeometry(0, 0, 300, bar->height());
        window.show();
        start = window.pos();
    }
    QWidget window;
    TitleBar* bar = nullptr;
    QPoint start;
};

TEST_F(TitleBarDrag, TheLeftButtonMovesTheWindowAndReportsBothPlacesOtherButtonsAndAPlainClickDoNot) {
    QSignalSpy moved(bar, &TitleBar::dragFinished);
    const QPoint local(50, 10);
    const QPoint global = bar->mapToGlobal(local);
    sendMouse(bar, QEvent::MouseButtonPress, local, global, Qt::RightButton, Qt::RightButton);
    sendMouse(bar, QEvent::MouseMove, local, global + QPoint(30, 20), Qt::NoButton, Qt::RightButton);
    sendMouse(bar, QEvent::MouseButtonRelease, local, global + QPoint(30, 20), Qt::RightButton, Qt::NoButton);
    sendMouse(bar, QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), start);
    EXPECT_EQ(moved.count(), 0);

    sendMouse(bar, QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local, global + QPoint(10, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local, global + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(moved.count(), 0);
    sendMouse(bar, QEvent::MouseButtonRelease, local, global + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);

    EXPECT_EQ(window.pos(), start + QPoint(30, 20));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved[0][0].toPoint(), start);
    EXPECT_EQ(moved[0][1].toPoint(), start + QPoint(30, 20));
}

TEST_F(TitleBarDrag, WithAnOutlineTheWindowStaysWhileTheOutlineFollowsAndTheReleaseReportsTheNewPlace) {
    bar->setOutlineDrag(true);
    QSignalSpy released(bar, &TitleBar::outlineReleased);
    QSignalSpy finished(bar, &TitleBar::dragFinished);
    const QPoint local(50, 10);
    const QPoint global = bar->mapToGlobal(local);
    sendMouse(bar, QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local, global + QPoint(10, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local, global + QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(bar->outline());
    EXPECT_TRUE(bar->outline()->isVisible());
    // Just outside the window's rectangle at its new place.
    EXPECT_EQ(bar->outline()->geometry(), QRect(start + QPoint(40, 30) - QPoint(2, 2), window.size() + QSize(4, 4)));
    EXPECT_EQ(window.pos(), start);
    sendMouse(bar, QEvent::MouseButtonRelease, local, global + QPoint(40, 30), Qt::LeftButton, Qt::NoButton);

    EXPECT_FALSE(bar->outline()->isVisible());
    EXPECT_EQ(window.pos(), start);  // the window moves itself once it has read the screen there
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toPoint(), start);
    EXPECT_EQ(released[0][1].toPoint(), start + QPoint(40, 30));
}

}  // namespace
