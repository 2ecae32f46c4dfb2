// Picking in the real window: mouse events and what the not-XOR marks leave in the pixels.
#include "core/numbers.h"
#include "support/crosscorr_reference.h"
#include "support/form1_fixture.h"

namespace orv {
namespace {

using test::OpenedWindow;

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
    const ProfileStore &s = test::StoreOf(w->app());
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
    Press(*w, 300, Qt::RightButton);
    const float dy = w->pctTrace()->ScaleHeight() / float(s.LastSample - s.FirstSample + 1);
    const double y = (300 - w->pctTrace()->contentsRect().top()) * 15.0; // the canvas has a frame
    const float P = float(y / double(dy) + 1 + 1);
    EXPECT_FLOAT_EQ(s.Picks[2], s.TotalTime / s.NSamples * P);
    EXPECT_EQ(w->captionLabel(Caption::Label3)->text().toStdString(), "Picked Time = " + SignedText(s.Picks[2]));
    EXPECT_EQ(w->app().upd.Value(), 3);
    Mouse(w->pctProfile(), QEvent::MouseMove, 100);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);}

// Two moves leave the pixels one move to the second place leaves; a press after a move, a press alone.
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
    EXPECT_EQ(test::StoreOf(a->app()).Picks, test::StoreOf(b->app()).Picks);
}

TEST(Form1Picking, AutomaticThroughTheRealDialog)
{
    test::FakeDialogs d;
    auto w = OpenedWindow(d);
    ProfileStore &s = test::StoreOf(w->app());
    FrmData *frm = w->frmData();
    auto fill = [&](const char *k1, const char *kl, const char *t1, const char *tl) {
        test::Fill(*frm, {{DataField::txtKey1st, k1}, {DataField::txtKeyLast, kl}, {DataField::txtTarg1st, t1},
                          {DataField::txtTargLast, tl}});
    };
    Press(*w, 200, Qt::LeftButton); // a pick by hand, to be kept by a close
    const std::vector<float> handPicks = s.Picks;
    w->mnuAutomatic()->trigger();
    ASSERT_TRUE(frm->isVisible());
    EXPECT_TRUE(test::Held(*w));
    EXPECT_FALSE(frm->findChild<QGroupBox *>(QStringLiteral("Frame1"))->isVisible());
    EXPECT_FALSE(frm->cmdOK()->isVisible());
    auto *frame2 = frm->findChild<QGroupBox *>(QStringLiteral("Frame2"));
    EXPECT_EQ(frame2->title(), QStringLiteral("Cross Corelation Parameters"));
    EXPECT_EQ(frame2->x(), 13); // 200 twips
    EXPECT_EQ(frm->cmdOK2()->x(), 53);
    EXPECT_EQ(frm->cmdCancel2()->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(frm->width(), 320); // 4800 twips
    fill("30", "60", "1", "150");
    frm->close();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_FALSE(test::Held(*w));
    EXPECT_EQ(s.Picks, handPicks);
    w->mnuAutomatic()->trigger();
    EXPECT_TRUE(frm->field(DataField::txtKey1st)->text().isEmpty());
    fill("30", "60", "1", "150");
    const std::vector<float> want = test::CrossCrolSequential(s.PlotData, s.NTraces, s.NSamples, s.TotalTime,
                                                              {30, 60, 1, 150});
    const Array2D raw = s.RawData;
    const QImage before = w->pctProfile()->image();
    frm->cmdOK2()->click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_FALSE(test::Held(*w));
    EXPECT_EQ(s.Picks, want);
    EXPECT_EQ(s.Picks[300], 0.0f);
    EXPECT_FALSE(s.RawData == raw);
    EXPECT_NE(w->pctProfile()->image(), before);
    EXPECT_TRUE(d.messages.empty());
}

// While a run goes on, "&Cancel" and the close control ask it to stop.
TEST(Form1Picking, DialogAsksARunToStop)
{
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    FrmData *frm = w.frmData();
    int cancels = 0;
    QObject::connect(frm, &FrmData::cancel2Clicked, [&] { ++cancels; });
    frm->showCrossCorrelation();
    for (int way = 0; way < 2; ++way) {
        frm->setWorking(true);
        EXPECT_FALSE(frm->cmdOK2()->isEnabled());
        EXPECT_FALSE(frm->stopRequested());
        way == 0 ? frm->cmdCancel2()->click() : void(frm->close());
        EXPECT_TRUE(frm->stopRequested());
        EXPECT_TRUE(frm->isVisible());
        frm->setWorking(false);
    }
    EXPECT_EQ(cancels, 0);
    frm->cmdCancel2()->click();
    EXPECT_EQ(cancels, 1);
}

} // namespace
} // namespace orv
