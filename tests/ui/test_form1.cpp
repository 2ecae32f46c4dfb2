// The main window on the offscreen platform: inventory, menus, About panel,
// the one-time layout and a whole open / re-plot / step / exit run.
#include "app/app.h"
#include "formats/su.h"
#include "support/fakes.h"
#include "ui/form1.h"
#include "ui/qtdialogs.h"
#include "ui/updown.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace orv {
namespace {

// The window as drawn, written out independently of the program's own table:
// name, container ("inner" = the window's inner area), caption, L T W H twips.
const struct {
    const char *name, *parent, *text;
    int L, T, W, H;
} kInventory[] = {
    {"pctProfile", "inner", "", 840, 480, 10095, 7935}, {"pctTrace", "inner", "", 11880, 480, 1935, 7935},
    {"lblSamp0", "inner", "", 240, 480, 495, 255}, {"lblSamp2", "inner", "", 240, 4320, 495, 255},
    {"lblSamp4", "inner", "", 240, 8160, 495, 255}, {"lblTime1", "inner", "", 11040, 2400, 735, 255},
    {"lblTime4", "inner", "", 11040, 8160, 735, 255}, {"Label10", "inner", "Samples", 120, 120, 735, 255},
    {"Label5", "inner", "No. of Traces", 1680, 120, 2175, 255},
    {"Label6", "inner", "No. of Samples", 4200, 120, 2175, 255},
    {"Label4", "inner", "Sample Interval", 6840, 120, 1215, 255}, {"Text1", "inner", "", 8160, 120, 495, 285},
    {"Label12", "inner", "Time", 10920, 120, 735, 255}, {"Label1", "inner", "Trace # 1", 12360, 120, 1100, 375},
    {"upd", "inner", "", 13440, 120, 255, 375}, {"Frame4", "inner", "Draw", 840, 8520, 4335, 2055},
    {"Label9", "Frame4", "Traces", 480, 240, 615, 255}, {"txt1sttr", "Frame4", "", 240, 480, 495, 285},
    {"txtLsttr", "Frame4", "", 840, 480, 495, 285}, {"Label11", "Frame4", "Samples", 1920, 240, 735, 255},
    {"txt1stsamp", "Frame4", "", 1680, 480, 495, 285}, {"txtLstsamp", "Frame4", "", 2280, 480, 495, 285},
    {"cmdRePlot", "Frame4", "Re-Plot", 240, 840, 1095, 375}, {"cmdAll", "Frame4", "All Profile", 1680, 840, 1095, 375},
    {"cmdNextGroup", "Frame4", "Next Group", 3000, 840, 1095, 375},
    {"Frame1", "Frame4", "Normalization", 240, 1320, 2535, 615}, {"optNormNone", "Frame1", "None", 120, 240, 735, 255},
    {"optNormCSG", "Frame1", "CSG", 960, 240, 735, 255}, {"optNormTrace", "Frame1", "Trace", 1680, 240, 735, 255},
    {"Label15", "Frame4", "Group Overlap", 3000, 1320, 1095, 255},
    {"txtGroupOverlap", "Frame4", "0", 3000, 1560, 975, 285}, {"Label7", "inner", "Gain Value", 5400, 8760, 1215, 255},
    {"txtGainValue", "inner", "400", 6720, 8760, 495, 285}, {"Label13", "inner", "Clip Value", 5400, 9240, 1215, 255},
    {"txtAmpClip", "inner", "1000", 6720, 9240, 495, 285}, {"Label14", "inner", "Traces/CSG", 5400, 9720, 1215, 255},
    {"txtTraceCSG", "inner", "24", 6720, 9720, 495, 285},
    {"Label2", "inner", "Left Click = Automatic Pick Right Click = Exact Pick", 7560, 9000, 1935, 615},
    {"lblReadTr", "inner", "Reading Trace # 1", 9840, 9120, 1815, 375},
    {"Label3", "inner", "Picked Time = ", 11880, 8520, 1935, 255},
    {"Label8", "inner", "Pick Range (Sample)", 11880, 8880, 1215, 495},
    {"txtPickRange", "inner", "20", 13200, 9000, 615, 285}, {"frmAbout", "pctProfile", "About", 2640, 2640, 4575, 3135},
    {"Label16", "frmAbout", "", 120, 360, 4335, 255}, {"Label17", "frmAbout", "", 120, 720, 4335, 375},
    {"Label18", "frmAbout", "For any bugs or comments please contact me", 120, 1080, 4335, 255},
    {"Label19", "frmAbout", "", 120, 1440, 4335, 255},
    {"Label20", "frmAbout", "The Orvane developers", 120, 1800, 4335, 255},
    {"Label21", "frmAbout", "via the project's issue tracker", 120, 2160, 4335, 255},
    {"cmdAbouOK", "frmAbout", "OK", 1680, 2640, 1215, 375},
};

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

template <typename T = QWidget>
T *Find(Form1 &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

TEST(Form1, EveryControlAtItsDesignPlaceWithItsCaption)
{
    test::FakeDialogs d;
    Form1 w(&d);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(w.width(), Px(DesignInnerWidth));
    EXPECT_EQ(w.height() - w.menuBar()->sizeHint().height(), Px(DesignInnerHeight));
    for (const auto &e : kInventory) {
        SCOPED_TRACE(e.name);
        QWidget *c = Find(w, e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->parentWidget()->objectName(), QString::fromLatin1(e.parent));
        const char *caption = c->inherits("QGroupBox") ? "title" : "text"; // none on canvases
        EXPECT_EQ(c->property(caption).toString(), QString::fromLatin1(e.text));
        EXPECT_EQ(c->geometry(), QRect(Px(e.L), Px(e.T), Px(e.W), Px(e.H)));
    }
    EXPECT_TRUE(Find(w, "frmAbout")->isHidden());
    EXPECT_TRUE(Find(w, "lblReadTr")->isHidden());
    EXPECT_TRUE(Find<QAbstractButton>(w, "optNormNone")->isChecked());
}

TEST(Form1, MenuTree)
{
    test::FakeDialogs d;
    Form1 w(&d);
    // Each menu's items in order, by object name and caption; "-" is a
    // separator. Only the commands that work are there.
    const struct {
        QMenu *menu;
        const char *title;
        std::vector<std::pair<const char *, const char *>> items;
    } menus[] = {
        {w.mnuFile(), "&File",
         {{"mnuOpen", "Open Profile"}, {"mnuSave", "Save Profile"}, {"mnu2", "-"}, {"mnuSavePick", "Save Picking"},
          {"mnuExit", "Exit"}}},
        {w.mnuOpen(), "Open Profile", {{"mnuOpenSU", "SU File"}}},
        {w.mnuSave(), "Save Profile", {{"mnuSaveSU", "SU File"}}},
        {w.mnuTools(), "Tools",
         {{"mnuReplot", "Re-Plot Profile"}, {"mnuReset", "Reset Picking"}, {"mnu1", "-"},
          {"mnuZeroPick", "Zero Picking (-ve -> +ve)"}, {"mnuZeroPick2", "Zero Picking (+ve -> -ve)"},
          {"mnuMaxPick", "Max. Picking"}, {"mnuMinPick", "Min. Picking"}}},
        {w.mnuadjustair(), "Adjust Air Wave", {{"mnuCurrentPick", "Current Picking"}, {"mnuFromFile", "From File"}}},
    };
    for (const auto &m : menus) {
        SCOPED_TRACE(m.title);
        ASSERT_NE(m.menu, nullptr);
        EXPECT_EQ(m.menu->title(), QString::fromLatin1(m.title));
        const QList<QAction *> actions = m.menu->actions();
        ASSERT_EQ(actions.size(), qsizetype(m.items.size()));
        for (size_t k = 0; k < m.items.size(); ++k) {
            const QAction *a = actions[qsizetype(k)];
            const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
            EXPECT_EQ(name, QString::fromLatin1(m.items[k].first));
            if (std::string(m.items[k].second) == "-")
                EXPECT_TRUE(a->isSeparator());
            else
                EXPECT_EQ(a->text(), QString::fromLatin1(m.items[k].second));
        }
    }
    // Exactly one pick rule carries the check mark, the first at start.
    for (int k = 0; k < int(MenuCheck::Count); ++k)
        EXPECT_EQ(w.checkItem(MenuCheck(k))->isChecked(), k == 0) << k;
    // The bar: File, Tools, Adjust Air Wave (a title only) and About, which
    // acts on a click of the bar itself.
    EXPECT_EQ(w.menuBar()->actions(), (QList<QAction *>{w.mnuFile()->menuAction(), w.mnuTools()->menuAction(),
                                                        w.mnuadjustair()->menuAction(), w.mnuAbout()}));
    EXPECT_EQ(w.mnuAbout()->menu(), nullptr);
    EXPECT_EQ(w.mnuAbout()->text(), QStringLiteral("About"));
}

// The layout fits the window to the screen on the first open command only;
// the About panel is centred on the profile canvas whatever its size.
TEST(Form1, AdjustformFitsTheScreenOnceAndAboutStaysCentred)
{
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    QWidget *about = Find(w, "frmAbout");
    QWidget *canvas = Find(w, "pctProfile");
    const auto aboutCentred = [&] {
        const auto half = [](int outer, int inner) { return static_cast<int>(std::lround(outer / 2.0 - inner / 2.0)); };
        w.mnuAbout()->trigger();
        EXPECT_FALSE(about->isHidden());
        EXPECT_EQ(about->pos(), QPoint(half(canvas->width(), about->width()), half(canvas->height(), about->height())));
        Find<QPushButton>(w, "cmdAbouOK")->click();
        EXPECT_TRUE(about->isHidden());
    };
    aboutCentred();
    EXPECT_FALSE(w.layoutDone());
    const QRect work = w.screen()->availableGeometry();
    w.adjustform();
    ASSERT_TRUE(w.layoutDone());

    // The maximised inner size (less frame and menu bar) becomes the outer
    // size; pctTrace then ends 100 twips from the right, 2355 above the bottom.
    const int frameW = w.frameGeometry().width() - w.width();
    const int frameH = w.frameGeometry().height() - w.height();
    const int menuH = w.menuBar()->height();
    const int innerW = std::max(work.width() - 2 * frameW, Px(MinInnerWidth));
    const int innerH = std::max(work.height() - 2 * frameH - 2 * menuH, Px(MinInnerHeight));
    EXPECT_EQ(w.frameGeometry().topLeft(), work.topLeft());
    EXPECT_EQ(w.size(), QSize(innerW, innerH + menuH));
    QWidget *trace = Find(w, "pctTrace");
    EXPECT_NEAR(trace->geometry().right() + 1, Px(innerW * 15 - 100), 1);
    EXPECT_NEAR(trace->geometry().bottom() + 1, Px(innerH * 15 - 2355), 1);
    aboutCentred();

    // The user resizes the window; the next open command changes nothing.
    const auto geometries = [&] {
        QList<QRect> g;
        for (QWidget *c : w.inner()->findChildren<QWidget *>())
            g << c->geometry();
        return g;
    };
    const QList<QRect> before = geometries();
    w.resize(w.width() - 150, w.height() - 120);
    const QSize userSize = w.size();
    w.adjustform();
    EXPECT_EQ(w.size(), userSize);
    EXPECT_EQ(geometries(), before);
}

// A whole run as a user does it: open an SU file, re-plot, step, exit.
TEST(Form1, OpenRePlotStepAndExit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("three.su")).toStdString();
    Array2D data;
    data.allocate(3, 8);
    data(2, 4) = 1.5f;
    std::string error;
    ASSERT_TRUE(WriteSUFile(path, data, 3, 8, 32, error)) << error;

    test::FakeDialogs d;
    d.files.push_back(path);
    Form1 w(&d);
    w.show();
    w.findChild<QAction *>(QStringLiteral("mnuOpenSU"))->trigger();
    EXPECT_TRUE(w.layoutDone());
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(Find<QLabel>(w, "Label5")->text(), QStringLiteral("No. of Traces = 3"));
    EXPECT_EQ(Find<QLabel>(w, "Label6")->text(), QStringLiteral("No. of Samples = 8"));
    EXPECT_EQ(w.windowTitle().toStdString(), "Orvane   -  " + path);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the busy pointer is gone
    auto *last = Find<QLineEdit>(w, "txtLsttr");
    EXPECT_EQ(last->text(), QStringLiteral(" 3"));

    last->setText(QStringLiteral("2"));
    Find<QPushButton>(w, "cmdRePlot")->click();
    EXPECT_EQ(w.app().store.LastTrace, 2);
    EXPECT_EQ(w.app().upd.Max(), 2);
    Find<QPushButton>(w, "cmdAll")->click();
    EXPECT_EQ(w.app().store.LastTrace, 3);

    auto *label1 = Find<QLabel>(w, "Label1");
    w.upd()->upButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 2"));
    w.upd()->downButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 1"));
    EXPECT_FALSE(w.upd()->downButton()->isEnabled()); // at the first trace

    w.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    EXPECT_TRUE(w.quitRequested());
    EXPECT_FALSE(w.isVisible());
}

// A reader shows the busy pointer before it asks for a file; the dialog
// itself has the ordinary pointer, and the busy one is back afterwards.
TEST(Form1, DialogsLiftTheBusyPointerWhileOpen)
{
    QWidget parent;
    QtDialogs dialogs(&parent);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool overrideWhileOpen = true;
    QTimer::singleShot(0, [&] {
        overrideWhileOpen = QApplication::overrideCursor() != nullptr;
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    dialogs.message("Open Profile", "text");
    EXPECT_FALSE(overrideWhileOpen);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace orv
