// The main window on the offscreen platform: inventory, menus, About panel,
// the one-time layout, the Controls binding and a whole open / step / exit run.
#include "core/app.h"
#include "formats/su.h"
#include "support/fakes.h"
#include "ui/form1.h"
#include "ui/qtcanvas.h"
#include "ui/qtdialogs.h"
#include "ui/updown.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace orv {
namespace {

enum class Kind { Label, Edit, Button, Radio, Frame, Canvas, UpDown };

struct Expected {
    const char *name;
    Kind kind;
    const char *parent; // objectName of the container; "inner" = the window's inner area
    const char *text;
    int L, T, W, H; // twips
};

// The window as drawn, written out here independently of the program's own
// table.
const Expected kInventory[] = {
    {"pctProfile", Kind::Canvas, "inner", "", 840, 480, 10095, 7935},
    {"pctTrace", Kind::Canvas, "inner", "", 11880, 480, 1935, 7935},
    {"lblSamp0", Kind::Label, "inner", "", 240, 480, 495, 255},
    {"lblSamp2", Kind::Label, "inner", "", 240, 4320, 495, 255},
    {"lblSamp4", Kind::Label, "inner", "", 240, 8160, 495, 255},
    {"lblTime1", Kind::Label, "inner", "", 11040, 2400, 735, 255},
    {"lblTime4", Kind::Label, "inner", "", 11040, 8160, 735, 255},
    {"Label10", Kind::Label, "inner", "Samples", 120, 120, 735, 255},
    {"Label5", Kind::Label, "inner", "No. of Traces", 1680, 120, 2175, 255},
    {"Label6", Kind::Label, "inner", "No. of Samples", 4200, 120, 2175, 255},
    {"Label4", Kind::Label, "inner", "Sample Interval", 6840, 120, 1215, 255},
    {"Text1", Kind::Edit, "inner", "", 8160, 120, 495, 285},
    {"Label12", Kind::Label, "inner", "Time", 10920, 120, 735, 255},
    {"Label1", Kind::Label, "inner", "Trace # 1", 12360, 120, 1100, 375},
    {"upd", Kind::UpDown, "inner", "", 13440, 120, 255, 375},
    {"Frame4", Kind::Frame, "inner", "Draw", 840, 8520, 4335, 2055},
    {"Label9", Kind::Label, "Frame4", "Traces", 480, 240, 615, 255},
    {"txt1sttr", Kind::Edit, "Frame4", "", 240, 480, 495, 285},
    {"txtLsttr", Kind::Edit, "Frame4", "", 840, 480, 495, 285},
    {"Label11", Kind::Label, "Frame4", "Samples", 1920, 240, 735, 255},
    {"txt1stsamp", Kind::Edit, "Frame4", "", 1680, 480, 495, 285},
    {"txtLstsamp", Kind::Edit, "Frame4", "", 2280, 480, 495, 285},
    {"cmdRePlot", Kind::Button, "Frame4", "Re-Plot", 240, 840, 1095, 375},
    {"cmdAll", Kind::Button, "Frame4", "All Profile", 1680, 840, 1095, 375},
    {"cmdNextGroup", Kind::Button, "Frame4", "Next Group", 3000, 840, 1095, 375},
    {"Frame1", Kind::Frame, "Frame4", "Normalization", 240, 1320, 2535, 615},
    {"optNormNone", Kind::Radio, "Frame1", "None", 120, 240, 735, 255},
    {"optNormCSG", Kind::Radio, "Frame1", "CSG", 960, 240, 735, 255},
    {"optNormTrace", Kind::Radio, "Frame1", "Trace", 1680, 240, 735, 255},
    {"Label15", Kind::Label, "Frame4", "Group Overlap", 3000, 1320, 1095, 255},
    {"txtGroupOverlap", Kind::Edit, "Frame4", "0", 3000, 1560, 975, 285},
    {"Label7", Kind::Label, "inner", "Gain Value", 5400, 8760, 1215, 255},
    {"txtGainValue", Kind::Edit, "inner", "400", 6720, 8760, 495, 285},
    {"Label13", Kind::Label, "inner", "Clip Value", 5400, 9240, 1215, 255},
    {"txtAmpClip", Kind::Edit, "inner", "1000", 6720, 9240, 495, 285},
    {"Label14", Kind::Label, "inner", "Traces/CSG", 5400, 9720, 1215, 255},
    {"txtTraceCSG", Kind::Edit, "inner", "24", 6720, 9720, 495, 285},
    {"Label2", Kind::Label, "inner", "Left Click = Automatic Pick Right Click = Exact Pick", 7560, 9000, 1935, 615},
    {"lblReadTr", Kind::Label, "inner", "Reading Trace # 1", 9840, 9120, 1815, 375},
    {"Label3", Kind::Label, "inner", "Picked Time = ", 11880, 8520, 1935, 255},
    {"Label8", Kind::Label, "inner", "Pick Range (Sample)", 11880, 8880, 1215, 495},
    {"txtPickRange", Kind::Edit, "inner", "20", 13200, 9000, 615, 285},
    {"frmAbout", Kind::Frame, "pctProfile", "About", 2640, 2640, 4575, 3135},
    {"Label16", Kind::Label, "frmAbout", "", 120, 360, 4335, 255},
    {"Label17", Kind::Label, "frmAbout", "", 120, 720, 4335, 375},
    {"Label18", Kind::Label, "frmAbout", "For any bugs or comments please contact me", 120, 1080, 4335, 255},
    {"Label19", Kind::Label, "frmAbout", "", 120, 1440, 4335, 255},
    {"Label20", Kind::Label, "frmAbout", "The Orvane developers", 120, 1800, 4335, 255},
    {"Label21", Kind::Label, "frmAbout", "via the project's issue tracker", 120, 2160, 4335, 255},
    {"cmdAbouOK", Kind::Button, "frmAbout", "OK", 1680, 2640, 1215, 375},
};

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }
QRect PxRect(int l, int t, int w, int h) { return QRect(Px(l), Px(t), Px(w), Px(h)); }

QString TextOf(const QWidget *w)
{
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    return {};
}

bool IsKind(const QWidget *w, Kind k)
{
    switch (k) {
    case Kind::Label: return qobject_cast<const QLabel *>(w);
    case Kind::Edit: return qobject_cast<const QLineEdit *>(w);
    case Kind::Button: return qobject_cast<const QPushButton *>(w);
    case Kind::Radio: return qobject_cast<const QRadioButton *>(w);
    case Kind::Frame: return qobject_cast<const QGroupBox *>(w);
    case Kind::Canvas: return qobject_cast<const QtCanvas *>(w);
    case Kind::UpDown: return qobject_cast<const UpDown *>(w);
    }
    return false;
}

template <typename T = QWidget>
T *Find(Form1 &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

// Geometry of every named widget in the window.
std::map<QString, QRect> Geometries(Form1 &w)
{
    std::map<QString, QRect> g;
    for (QWidget *c : w.inner()->findChildren<QWidget *>())
        if (!c->objectName().isEmpty())
            g[c->objectName()] = c->geometry();
    return g;
}

void MoveMouseOver(QWidget *target, QPoint at = {5, 5})
{
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

TEST(Form1, EveryControlAtItsDesignPlaceWithItsCaption)
{
    test::FakeDialogs d;
    Form1 w(&d);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(w.inner()->objectName(), QStringLiteral("inner"));
    // The inner area below the menu bar has the design size.
    EXPECT_EQ(w.height() - w.menuBar()->sizeHint().height(), Px(DesignInnerHeight));
    EXPECT_EQ(w.width(), Px(DesignInnerWidth));

    for (const Expected &e : kInventory) {
        SCOPED_TRACE(e.name);
        QWidget *c = Find(w, e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(IsKind(c, e.kind));
        EXPECT_EQ(c->parentWidget()->objectName(), QString::fromLatin1(e.parent));
        EXPECT_EQ(TextOf(c), QString::fromLatin1(e.text));
        EXPECT_EQ(c->geometry(), PxRect(e.L, e.T, e.W, e.H));
    }
    // The start-up state of the load handler.
    EXPECT_TRUE(Find(w, "frmAbout")->isHidden());
    EXPECT_TRUE(Find(w, "lblReadTr")->isHidden());
    EXPECT_TRUE(Find<QRadioButton>(w, "optNormNone")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(w, "optNormCSG")->isChecked());
    EXPECT_EQ(w.pos(), QPoint(Px(100), Px(100)));
    EXPECT_FALSE(w.layoutDone());
    EXPECT_EQ(w.app().store.PickMode, 1);
    // A caption that wraps fits its box.
    for (const char *name : {"Label2", "Label8"}) {
        auto *l = Find<QLabel>(w, name);
        EXPECT_LE(l->heightForWidth(l->width()), l->height()) << name;
    }
}

TEST(Form1, MenuTreeWithNamesAndCaptions)
{
    test::FakeDialogs d;
    Form1 w(&d);
    const struct {
        const char *name;
        const char *text;
        const char *menu; // objectName of the menu holding it
    } items[] = {
        {"mnuOpenSU", "SU File", "mnuOpen"},
        {"mnuSaveSU", "SU File", "mnuSave"},
        {"mnuExit", "Exit", "mnuFile"},
        {"mnuReplot", "Re-Plot Profile", "mnuTools"},
    };
    for (const auto &i : items) {
        SCOPED_TRACE(i.name);
        auto *a = w.findChild<QAction *>(QString::fromLatin1(i.name));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromLatin1(i.text));
        auto *menu = w.findChild<QMenu *>(QString::fromLatin1(i.menu));
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().contains(a));
    }
    const struct {
        const char *name;
        const char *title;
    } menus[] = {{"mnuFile", "&File"}, {"mnuOpen", "Open Profile"}, {"mnuSave", "Save Profile"}, {"mnuTools", "Tools"}};
    for (const auto &m : menus) {
        auto *menu = w.findChild<QMenu *>(QString::fromLatin1(m.name));
        ASSERT_NE(menu, nullptr) << m.name;
        EXPECT_EQ(menu->title(), QString::fromLatin1(m.title));
    }
    // Order: File (Open Profile, Save Profile, a separator, Exit), Tools, About.
    const QList<QAction *> file = w.mnuFile()->actions();
    ASSERT_EQ(file.size(), 4);
    EXPECT_EQ(file[0]->menu(), w.mnuOpen());
    EXPECT_EQ(file[1]->menu(), w.mnuSave());
    EXPECT_TRUE(file[2]->isSeparator());
    EXPECT_EQ(file[3], w.mnuExit());
    const QList<QAction *> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->menu(), w.mnuFile());
    EXPECT_EQ(bar[1]->menu(), w.mnuTools());
    // About acts on a click of the bar itself.
    EXPECT_EQ(bar[2], w.mnuAbout());
    EXPECT_EQ(bar[2]->menu(), nullptr);
    EXPECT_EQ(bar[2]->text(), QStringLiteral("About"));
    EXPECT_EQ(bar[2]->objectName(), QStringLiteral("mnuAbout"));
}

TEST(Form1, AboutPanelCentredOnTheProfileCanvasEveryTime)
{
    test::FakeDialogs d;
    Form1 w(&d);
    QWidget *about = Find(w, "frmAbout");
    QWidget *canvas = Find(w, "pctProfile");
    auto *ok = Find<QPushButton>(w, "cmdAbouOK");

    const auto centred = [&] {
        return QPoint(static_cast<int>(std::lround(canvas->width() / 2.0 - about->width() / 2.0)),
                      static_cast<int>(std::lround(canvas->height() / 2.0 - about->height() / 2.0)));
    };
    w.mnuAbout()->trigger();
    EXPECT_FALSE(about->isHidden());
    EXPECT_EQ(about->pos(), centred());
    EXPECT_EQ(about->size(), QSize(Px(4575), Px(3135)));
    const QPoint first = about->pos();

    ok->click();
    EXPECT_TRUE(about->isHidden());
    w.mnuAbout()->trigger();
    EXPECT_FALSE(about->isHidden());
    EXPECT_EQ(about->pos(), first);

    // After the layout has resized the canvas the panel is centred anew.
    ok->click();
    w.adjustform();
    w.mnuAbout()->trigger();
    EXPECT_EQ(about->pos(), centred());
}

TEST(Form1, AdjustformFitsTheScreenOnceOnly)
{
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    const QRect work = w.screen()->availableGeometry();
    w.adjustform();
    ASSERT_TRUE(w.layoutDone());

    // Without a window manager the outer size is the whole work area.
    const int frameW = w.frameGeometry().width() - w.width();
    const int frameH = w.frameGeometry().height() - w.height();
    const int menuH = w.menuBar()->height();
    EXPECT_EQ(w.frameGeometry().topLeft(), work.topLeft());
    const int innerW = std::max(work.width() - 2 * frameW, Px(MinInnerWidth));
    // The maximised inner size (less frame and menu bar) becomes the outer size.
    const int innerH = std::max(work.height() - 2 * frameH - 2 * menuH, Px(MinInnerHeight));
    EXPECT_EQ(w.width(), innerW);
    EXPECT_EQ(w.height(), innerH + menuH);

    // pctTrace ends 100 twips from the right, the canvases 2355 above the
    // bottom (within the pixel rounding).
    QWidget *trace = Find(w, "pctTrace");
    QWidget *profile = Find(w, "pctProfile");
    const int W = innerW * 15, H = innerH * 15;
    EXPECT_NEAR(trace->geometry().right() + 1, Px(W - 100), 1);
    EXPECT_NEAR(trace->geometry().bottom() + 1, Px(H - 2355), 1);
    EXPECT_EQ(profile->height(), trace->height());
    EXPECT_EQ(profile->y(), trace->y());
    EXPECT_EQ(Find(w, "Label3")->x(), trace->x());
    EXPECT_EQ(Find(w, "Frame4")->y(), Px(480 + trace->height() * 15 + 100));

    // The user resizes the window; the next open command changes nothing.
    const auto before = Geometries(w);
    w.resize(w.width() - 150, w.height() - 120);
    const QSize userSize = w.size();
    w.adjustform();
    EXPECT_EQ(Geometries(w), before);
    EXPECT_EQ(w.size(), userSize);
}

TEST(Form1, ControlsReachTheNamedWidgets)
{
    test::FakeDialogs d;
    Form1 w(&d);
    Controls &c = w.controls();

    const struct {
        Field f;
        const char *name;
    } fields[] = {{Field::txt1sttr, "txt1sttr"},       {Field::txtLsttr, "txtLsttr"},
                  {Field::txt1stsamp, "txt1stsamp"},   {Field::txtLstsamp, "txtLstsamp"},
                  {Field::txtAmpClip, "txtAmpClip"},   {Field::txtGainValue, "txtGainValue"},
                  {Field::txtTraceCSG, "txtTraceCSG"}, {Field::txtGroupOverlap, "txtGroupOverlap"},
                  {Field::txtPickRange, "txtPickRange"}, {Field::Text1, "Text1"}};
    for (const auto &f : fields) {
        const std::string value = std::string(" 7") + f.name; // unique per field
        c.setText(f.f, value);
        EXPECT_EQ(Find<QLineEdit>(w, f.name)->text().toStdString(), value);
        EXPECT_EQ(c.text(f.f), value);
    }

    const struct {
        Caption c;
        const char *name;
    } captions[] = {{Caption::Label1, "Label1"},     {Caption::Label3, "Label3"},     {Caption::Label5, "Label5"},
                    {Caption::Label6, "Label6"},     {Caption::lblReadTr, "lblReadTr"}, {lblSamp(0), "lblSamp0"},
                    {lblSamp(4), "lblSamp4"},        {lblTime(0), "lblTime0"},        {lblTime(3), "lblTime3"},
                    {lblTime(4), "lblTime4"}};
    for (const auto &k : captions) {
        c.setCaption(k.c, std::string("x ") + k.name);
        EXPECT_EQ(Find<QLabel>(w, k.name)->text().toStdString(), std::string("x ") + k.name);
        c.setCaptionVisible(k.c, false);
        EXPECT_TRUE(Find(w, k.name)->isHidden()) << k.name;
        EXPECT_FALSE(c.captionVisible(k.c));
        c.setCaptionVisible(k.c, true);
        EXPECT_TRUE(c.captionVisible(k.c)) << k.name; // its own flag, window not shown
    }

    Find<QRadioButton>(w, "optNormCSG")->setChecked(true);
    EXPECT_FALSE(c.option(Option::optNormNone));
    EXPECT_TRUE(c.option(Option::optNormCSG));
    EXPECT_FALSE(c.option(Option::optNormTrace));

    c.setTitle("Orvane   -  /tmp/\xc3\xa9.su");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane   -  /tmp/\u00e9.su"));
    EXPECT_EQ(c.title(), "Orvane   -  /tmp/\xc3\xa9.su");
}

TEST(Form1, BusyPointerNeverStacksOrLeaks)
{
    test::FakeDialogs d;
    Form1 w(&d);
    Controls &c = w.controls();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);

    c.setPointer(PointerBusy);
    c.setPointer(PointerBusy); // a nested reader sets it again
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(c.pointer(), PointerBusy);

    c.setPointer(PointerCross);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(c.pointer(), PointerCross);

    // Moving over the background or the profile canvas brings the arrow back.
    MoveMouseOver(w.inner());
    EXPECT_EQ(c.pointer(), PointerDefault);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    c.setPointer(PointerCross);
    MoveMouseOver(w.pctProfile());
    EXPECT_EQ(c.pointer(), PointerDefault);

    // A window closed while busy takes its override with it.
    {
        test::FakeDialogs d2;
        Form1 other(&d2);
        other.controls().setPointer(PointerBusy);
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Form1, UpDownFollowsItsStepper)
{
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    Stepper &s = w.app().upd;
    UpDown *u = w.upd();
    ASSERT_EQ(u->stepper(), &s);
    s.setMin(3);
    s.setMax(5);
    s.setValue(3);
    EXPECT_TRUE(u->upButton()->isEnabled());
    EXPECT_FALSE(u->downButton()->isEnabled());
    u->upButton()->click();
    u->upButton()->click();
    EXPECT_EQ(s.Value(), 5);
    EXPECT_FALSE(u->upButton()->isEnabled());
    EXPECT_TRUE(u->downButton()->isEnabled());
    // The two arrows split the control's height.
    EXPECT_EQ(u->upButton()->geometry().bottom() + 1, u->downButton()->y());
    EXPECT_EQ(u->downButton()->geometry().bottom() + 1, u->height());
}

TEST(Form1, DialogFiltersKeepTheirDescriptions)
{
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*", "Seismic Unix File (*.su);; All Filese (*)"},
        {"Radar (*.rd3;*.rad)|*.rd3;*.rad", "Radar (*.rd3 *.rad)"},
        {"Picks|*.dat", "Picks (*.dat)"},
        {"Anything|", "Anything (*)"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QtNameFilters(c.in).toStdString(), c.out) << c.in;
}

// A whole run as a user does it: open an SU file, re-plot, step the trace,
// exit.
TEST(Form1, OpenStepAndExit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("three.su")).toStdString();
    Array2D data;
    data.allocate(3, 8);
    for (int t = 1; t <= 3; ++t)
        for (int s = 1; s <= 8; ++s)
            data(t, s) = static_cast<float>(std::sin(t + s));
    std::string error;
    ASSERT_TRUE(WriteSUFile(path, data, 3, 8, 32, error)) << error;

    test::FakeDialogs d;
    d.files.push_back(path);
    Form1 w(&d);
    w.show();
    Controls &c = w.controls();

    w.findChild<QAction *>(QStringLiteral("mnuOpenSU"))->trigger();
    EXPECT_TRUE(w.layoutDone());
    EXPECT_EQ(d.filters.size(), 1u);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(c.caption(Caption::Label5), "No. of Traces = 3");
    EXPECT_EQ(c.caption(Caption::Label6), "No. of Samples = 8");
    EXPECT_EQ(w.windowTitle().toStdString(), "Orvane   -  " + path);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.app().store.PlotReady, 1);
    EXPECT_EQ(Find<QLineEdit>(w, "txtLsttr")->text(), QStringLiteral(" 3"));

    Find<QLineEdit>(w, "txtLsttr")->setText(QStringLiteral("2"));
    Find<QPushButton>(w, "cmdRePlot")->click();
    EXPECT_EQ(w.app().store.LastTrace, 2);
    EXPECT_EQ(w.app().upd.Max(), 2);
    Find<QPushButton>(w, "cmdAll")->click();
    EXPECT_EQ(w.app().store.LastTrace, 3);

    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 1");
    w.upd()->upButton()->click();
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 2");
    EXPECT_EQ(Find<QLabel>(w, "Label1")->text(), QStringLiteral("Trace # 2"));
    w.upd()->downButton()->click();
    EXPECT_EQ(c.caption(Caption::Label1), "Trace # 1");

    w.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    EXPECT_TRUE(w.quitRequested());
    EXPECT_FALSE(w.isVisible());
}

} // namespace
} // namespace orv
