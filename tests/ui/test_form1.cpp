// The main window on the offscreen platform: places, menus, layout, dialogs and a whole run.
#include "support/form1_fixture.h"
#include "ui/qtdialogs.h"
#include "ui/updown.h"

#include <QFileDialog>
#include <QScreen>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {
namespace {

using test::Find;

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

// "name:caption" in order, checked "*", greyed "~", a submenu's items in brackets.
std::string Items(const QList<QAction *> &actions)
{
    std::string s;
    for (QAction *a : actions) {
        const QObject *named = a->menu() ? static_cast<QObject *>(a->menu()) : a;
        s += (s.empty() ? "" : ", ") + named->objectName().toStdString() + ":"
            + (a->isSeparator() ? std::string("-") : a->text().toStdString()) + (a->isChecked() ? "*" : "")
            + (a->isEnabled() ? "" : "~");
        if (a->menu())
            s += " [" + Items(a->menu()->actions()) + "]";
    }
    return s;
}

TEST(Form1, ControlsAtTheirDesignPlacesAndTheMenuTree)
{
    // Independent of the program's table: name, container, caption, L T W H twips.
    const struct { const char *name, *parent, *text; int L, T, W, H; } controls[] = {
        {"pctProfile", "inner", "", 840, 480, 10095, 7935}, {"pctTrace", "inner", "", 11880, 480, 1935, 7935},
        {"lblSamp2", "inner", "", 240, 4320, 495, 255}, {"lblTime4", "inner", "", 11040, 8160, 735, 255},
        {"Label5", "inner", "No. of Traces", 1680, 120, 2175, 255}, {"Text1", "inner", "", 8160, 120, 495, 285},
        {"upd", "inner", "", 13440, 120, 255, 375}, {"Frame4", "inner", "Draw", 840, 8520, 4335, 2055},
        {"txtLsttr", "Frame4", "", 840, 480, 495, 285}, {"cmdNextGroup", "Frame4", "Next Group", 3000, 840, 1095, 375},
        {"Frame1", "Frame4", "Normalization", 240, 1320, 2535, 615}, {"optNormTrace", "Frame1", "Trace", 1680, 240, 735, 255},
        {"txtGroupOverlap", "Frame4", "0", 3000, 1560, 975, 285}, {"txtAmpClip", "inner", "1000", 6720, 9240, 495, 285},
        {"Label2", "inner", "Left Click = Automatic Pick Right Click = Exact Pick", 7560, 9000, 1935, 615},
        {"lblReadTr", "inner", "Reading Trace # 1", 9840, 9120, 1815, 375}, {"txtPickRange", "inner", "20", 13200, 9000, 615, 285},
        {"frmAbout", "pctProfile", "About", 2640, 2640, 4575, 3135}, {"Label20", "frmAbout", "The Orvane developers", 120, 1800, 4335, 255},
        {"cmdAbouOK", "frmAbout", "OK", 1680, 2640, 1215, 375},
    };
    test::FakeDialogs d;
    Form1 w(&d);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(w.size(), QSize(Px(DesignInnerWidth), Px(DesignInnerHeight) + w.menuBar()->sizeHint().height()));
    for (const auto &e : controls) {
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
    EXPECT_EQ(Items(w.menuBar()->actions()),
              "mnuFile:&File [mnuOpen:Open Profile [mnuOpenSU:SU File, mnuOpenRD3:RD3 File, mnuOpenDT1:DT1 File, "
              "mnuOpenAscii:ASCII File], mnuSave:Save Profile [mnuSaveSU:SU File, mnuSaveRD3:RD3 File, "
              "mnuSaveDT1:DT1 File~, mnuSaveAscii:ASCII File], "
              "mnu2:-, mnuSavePick:Save Picking, mnuExit:Exit], "
              "mnuTools:Tools [mnuReplot:Re-Plot Profile, mnuReset:Reset Picking, mnu1:-, "
              "mnuZeroPick:Zero Picking (-ve -> +ve)*, mnuZeroPick2:Zero Picking (+ve -> -ve), "
              "mnuMaxPick:Max. Picking, mnuMinPick:Min. Picking], "
              "mnuadjustair:Adjust Air Wave [mnuCurrentPick:Current Picking, mnuFromFile:From File, mnuAutomatic:Automatic], mnuAbout:About");
    EXPECT_EQ(w.checkItem(MenuCheck::mnuMinPick)->objectName(), QStringLiteral("mnuMinPick"));
}

TEST(Form1, AdjustformFitsTheScreenOnceAndAboutStaysCentred)
{
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    QWidget *about = Find(w, "frmAbout"), *canvas = Find(w, "pctProfile");
    const auto aboutCentred = [&] {
        w.mnuAbout()->trigger();
        EXPECT_FALSE(about->isHidden());
        EXPECT_LE(std::abs(2 * about->x() + about->width() - canvas->width()), 1);
        EXPECT_LE(std::abs(2 * about->y() + about->height() - canvas->height()), 1);
        Find<QPushButton>(w, "cmdAbouOK")->click();
        EXPECT_TRUE(about->isHidden());
    };
    aboutCentred();
    EXPECT_FALSE(w.layoutDone());
    const QRect work = w.screen()->availableGeometry();
    w.adjustform();
    ASSERT_TRUE(w.layoutDone());
    const int frameW = w.frameGeometry().width() - w.width();
    const int frameH = w.frameGeometry().height() - w.height();
    const int menuH = w.menuBar()->height();
    const int innerW = std::max(work.width() - 2 * frameW, Px(MinInnerWidth));
    const int innerH = std::max(work.height() - 2 * frameH - 2 * menuH, Px(MinInnerHeight));
    EXPECT_EQ(w.frameGeometry().topLeft(), work.topLeft());
    EXPECT_EQ(w.size(), QSize(innerW, innerH + menuH));
    const QRect trace = Find(w, "pctTrace")->geometry();
    EXPECT_NEAR(trace.right() + 1, Px(innerW * 15 - 100), 1);
    EXPECT_NEAR(trace.bottom() + 1, Px(innerH * 15 - 2355), 1);
    aboutCentred();
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

TEST(Form1, OpenRePlotStepAboutAndExit)
{
    test::FakeDialogs d;
    auto owned = test::OpenedWindow(d);
    Form1 &w = *owned;
    EXPECT_TRUE(w.layoutDone());
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(Find<QLabel>(w, "Label5")->text(), QStringLiteral("No. of Traces = 300"));
    EXPECT_EQ(Find<QLabel>(w, "Label6")->text(), QStringLiteral("No. of Samples = 400"));
    EXPECT_EQ(Find<QLineEdit>(w, "Text1")->text(), QStringLiteral(" .2")); // 80 ms over 400 samples
    EXPECT_EQ(Find<QLineEdit>(w, "txtLsttr")->text(), QStringLiteral(" 200")); // at most 200 traces at first
    EXPECT_EQ(w.app().upd.Max(), 200);
    EXPECT_EQ(w.windowTitle().toStdString(), "Orvane   -  " + test::StoreOf(w.app()).DataFileName);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the busy pointer is gone
    Find<QLineEdit>(w, "txtLsttr")->setText(QStringLiteral("2"));
    Find<QPushButton>(w, "cmdRePlot")->click();
    EXPECT_EQ(w.app().upd.Max(), 2);
    Find<QPushButton>(w, "cmdAll")->click();
    EXPECT_EQ(test::StoreOf(w.app()).LastTrace, 300);
    auto *label1 = Find<QLabel>(w, "Label1");
    w.upd()->upButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 2"));
    w.upd()->downButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 1"));
    EXPECT_FALSE(w.upd()->downButton()->isEnabled()); // at the first trace
    Find<QLineEdit>(w, "txtLsttr")->setText(QStringLiteral("2"));
    Find<QPushButton>(w, "cmdRePlot")->click();
    w.upd()->upButton()->click();
    EXPECT_FALSE(w.upd()->upButton()->isEnabled()); // at the last trace
    w.app().mnuAbout_Click();
    const QRect panel = w.frmAbout()->geometry();
    const QImage over = w.pctProfile()->grab(panel).toImage();
    w.pctProfile()->clear();
    EXPECT_EQ(over, w.pctProfile()->grab(panel).toImage());
    test::Trigger(w, "mnuExit");
    EXPECT_TRUE(w.quitRequested());
    EXPECT_FALSE(w.isVisible());
}

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
}

// Listing a folder with a FIFO reads no file for its icon; the dialog opens where a file was used.
TEST(Form1, FileDialogNeverReadsFilesAndOpensWhereAFileWasUsed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray fifo = dir.filePath(QStringLiteral("line.su")).toLocal8Bit();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    std::atomic<bool> done{false}, rescued{false};
    std::thread watchdog([&] { // a blocked read freed by a writer: a failure, not a hang
        for (int k = 0; k < 200 && !done; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!done && (rescued = true))
            ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
    });
    KindIconProvider icons;
    const QFileInfo info(QString::fromLocal8Bit(fifo));
    EXPECT_FALSE(icons.icon(info).isNull());
    EXPECT_EQ(icons.type(info), QStringLiteral("SU File"));
    QtDialogs dialogs(nullptr);
    EXPECT_TRUE(dialogs.folder().isEmpty());
    dialogs.fileUsed(fifo.toStdString());
    EXPECT_EQ(dialogs.folder(), dir.path());
    bool kindIcons = false;
    QTimer::singleShot(500, [&] {
        if (auto *w = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            kindIcons = dynamic_cast<const KindIconProvider *>(w->iconProvider()) != nullptr;
            w->close();
        }
    });
    EXPECT_EQ(dialogs.openFile("Seismic Unix File (*.su)|*.su"), "");
    done = true;
    watchdog.join();
    EXPECT_FALSE(rescued);
    EXPECT_TRUE(kindIcons);
}

} // namespace
} // namespace orv
