// Picking in the real window: mouse events on the trace canvas of the
// offscreen Form1, and what the not-XOR marks leave in the canvases' pixels.
#include "app/app.h"
#include "core/numbers.h"
#include "support/fakes.h"
#include "ui/form1.h"
#include "ui/qtcanvas.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orv {
namespace {

const std::string kExample = std::string(ORVANE_EXAMPLES_DIR) + "/radar_line.su";

// A shown window with the example line opened through the menu.
std::unique_ptr<Form1> OpenedWindow(test::FakeDialogs &d)
{
    d.files.push_back(kExample);
    auto w = std::make_unique<Form1>(&d);
    w->show();
    w->findChild<QAction *>(QStringLiteral("mnuOpenSU"))->trigger();
    return w;
}

void Mouse(QWidget *target, QEvent::Type type, int yPx, Qt::MouseButton button = Qt::NoButton)
{
    const QPointF at(20, yPx);
    QMouseEvent e(type, at, target->mapToGlobal(at), button, type == QEvent::MouseMove ? Qt::NoButton : button,
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}
void Move(Form1 &w, int yPx) { Mouse(w.pctTrace(), QEvent::MouseMove, yPx); }
void Press(Form1 &w, int yPx, Qt::MouseButton b) { Mouse(w.pctTrace(), QEvent::MouseButtonPress, yPx, b); }

TEST(Form1Picking, MouseOnTheTraceCanvasPicksAndSteps)
{
    test::FakeDialogs d;
    auto w = OpenedWindow(d);
    ASSERT_TRUE(d.messages.empty());
    const ProfileStore &s = w->app().store;
    ASSERT_EQ(s.NTraces, 300);

    Move(*w, 200);
    EXPECT_EQ(w->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(s.RangeShown, 1);

    Press(*w, 200, Qt::LeftButton);
    EXPECT_GT(s.Picks[1], 0.0f);
    EXPECT_EQ(w->app().upd.Value(), 2);
    EXPECT_EQ(w->captionLabel(Caption::Label1)->text(), QStringLiteral("Trace # 2"));
    EXPECT_TRUE(w->captionLabel(Caption::Label3)->text().startsWith(QStringLiteral("Picked Time =  ")));
    EXPECT_EQ(s.RangeShown, 0);

    // A right click takes the pointer's own sample position.
    Press(*w, 300, Qt::RightButton);
    const float dy = w->pctTrace()->ScaleHeight() / float(s.LastSample - s.FirstSample + 1);
    const double y = (300 - w->pctTrace()->contentsRect().top()) * 15.0; // the canvas has a frame
    const float P = float(y / double(dy) + 1 + 1);
    EXPECT_FLOAT_EQ(s.Picks[2], s.TotalTime / s.NSamples * P);
    EXPECT_EQ(w->captionLabel(Caption::Label3)->text().toStdString(), "Picked Time = " + SignedText(s.Picks[2]));
    EXPECT_EQ(w->app().upd.Value(), 3);

    // Over the profile canvas the ordinary pointer is back.
    Mouse(w->pctProfile(), QEvent::MouseMove, 100);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

    // Current Picking on the incomplete picks: the question, answered No.
    d.answers = {false};
    w->findChild<QAction *>(QStringLiteral("mnuCurrentPick"))->trigger();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].first, "Missing Picks");
}

// Range marks erase exactly: two moves leave the canvases as one move to the
// second place does, and a press after a move leaves them as a press alone.
TEST(Form1Picking, MarksLeaveNoTrailsInThePixels)
{
    test::FakeDialogs d1, d2;
    auto a = OpenedWindow(d1);
    auto b = OpenedWindow(d2);
    ASSERT_EQ(a->pctProfile()->image().size(), b->pctProfile()->image().size());
    ASSERT_EQ(a->pctProfile()->image(), b->pctProfile()->image());

    Move(*a, 150);
    EXPECT_NE(a->pctProfile()->image(), b->pctProfile()->image());
    Move(*a, 420);
    Move(*b, 420);
    EXPECT_EQ(a->pctProfile()->image(), b->pctProfile()->image());
    EXPECT_EQ(a->pctTrace()->image(), b->pctTrace()->image());

    Press(*a, 333, Qt::RightButton);
    Move(*b, 200); // b's marks go too: from 420 to 200, then the press
    Press(*b, 333, Qt::RightButton);
    EXPECT_EQ(a->pctProfile()->image(), b->pctProfile()->image());
    EXPECT_EQ(a->pctTrace()->image(), b->pctTrace()->image());
    EXPECT_EQ(a->app().store.Picks, b->app().store.Picks);
}

} // namespace
} // namespace orv
