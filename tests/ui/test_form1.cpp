// The main window on the offscreen platform: places, menus, layout, dialogs, reads and picking.
#include "core/numbers.h"
#include "support/app_fixture.h"
#include "support/crosscorr_reference.h"
#include "support/files.h"
#include "support/form1_fixture.h"
#include "ui/qtdialogs.h"
#include "ui/updown.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
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

void Mouse(QWidget *target, QEvent::Type type, int yPx, Qt::MouseButton button = Qt::NoButton)
{
    const QPointF at(20, yPx);
    QMouseEvent e(type, at, target->mapToGlobal(at), button, type == QEvent::MouseMove ? Qt::NoButton : button,
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}
void Move(Form1 &w, int yPx) { Mouse(w.pctTrace(), QEvent::MouseMove, yPx); }
void Press(Form1 &w, int yPx, Qt::MouseButton b) { Mouse(w.pctTrace(), QEvent::MouseButtonPress, yPx, b); }

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
              "mnuOpenAscii:ASCII File, mnuOpenSEGY:SEG-Y File, mnuOpenDZT:DZT File, mnuOpenRD7:RD7 File], "
              "mnuSave:Save Profile [mnuSaveSU:SU File, mnuSaveRD3:RD3 File, mnuSaveDT1:DT1 File~, mnuSaveAscii:ASCII File, "
              "mnuSaveSEGY:SEG-Y File, mnuSaveRD7:RD7 File], "
              "mnu2:-, mnuSavePick:Save Picking, mnuExit:Exit, mnuSepCsv:-, mnuExportPicksCsv:Export Picks (CSV)\u2026], "
              "mnuTools:Tools [mnuReplot:Re-Plot Profile, mnuReset:Reset Picking, mnu1:-, "
              "mnuZeroPick:Zero Picking (-ve -> +ve)*, mnuZeroPick2:Zero Picking (+ve -> -ve), "
              "mnuMaxPick:Max. Picking, mnuMinPick:Min. Picking, mnuSepDensity:-, mnuVariableDensity:Variable Density], "
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
    EXPECT_EQ(Find<QLineEdit>(w, "Text1")->text(), QStringLiteral(" .2")); // 80 ms over 400 samples
    EXPECT_EQ(Find<QLineEdit>(w, "txtLsttr")->text(), QStringLiteral(" 200")); // at most 200 traces at first
    EXPECT_EQ(w.app().upd.Max(), 200);
    EXPECT_EQ(w.windowTitle().toStdString(), "Orvane   -  " + test::StoreOf(w.app()).DataFileName);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the busy pointer is gone
    Find<QLineEdit>(w, "txtLsttr")->setText(QStringLiteral("2"));
    Find<QPushButton>(w, "cmdRePlot")->click();
    EXPECT_EQ(w.app().upd.Max(), 2);
    auto *label1 = Find<QLabel>(w, "Label1");
    w.upd()->upButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 2"));
    EXPECT_FALSE(w.upd()->upButton()->isEnabled()); // at the last trace
    w.upd()->downButton()->click();
    EXPECT_EQ(label1->text(), QStringLiteral("Trace # 1"));
    EXPECT_FALSE(w.upd()->downButton()->isEnabled()); // at the first trace
    Find<QPushButton>(w, "cmdAll")->click();
    const ProfileStore &s = test::StoreOf(w.app());
    EXPECT_EQ(s.LastTrace, 300);
    const int v = w.app().upd.Value();
    Move(w, 200);
    EXPECT_EQ(w.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(s.RangeShown, 1);
    Press(w, 200, Qt::LeftButton);
    EXPECT_GT(s.Picks[size_t(v)], 0.0f);
    EXPECT_EQ(s.RangeShown, 0);
    Press(w, 300, Qt::RightButton);
    const float dy = w.pctTrace()->ScaleHeight() / float(s.LastSample - s.FirstSample + 1);
    const double y = (300 - w.pctTrace()->contentsRect().top()) * 15.0; // the canvas has a frame
    EXPECT_FLOAT_EQ(s.Picks[size_t(v + 1)], s.TotalTime / s.NSamples * float(y / double(dy) + 1 + 1));
    EXPECT_EQ(w.captionLabel(Caption::Label3)->text().toStdString(), "Picked Time = " + SignedText(s.Picks[size_t(v + 1)]));
    EXPECT_EQ(w.app().upd.Value(), v + 2);
    Mouse(w.pctProfile(), QEvent::MouseMove, 100);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    w.app().mnuAbout_Click();
    const QRect panel = w.frmAbout()->geometry();
    const QImage over = w.pctProfile()->grab(panel).toImage();
    w.pctProfile()->clear();
    EXPECT_EQ(over, w.pctProfile()->grab(panel).toImage());
    test::Trigger(w, "mnuExit");
    EXPECT_TRUE(w.quitRequested());
    EXPECT_FALSE(w.isVisible());
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
    QApplication::setOverrideCursor(Qt::WaitCursor); // a message lifts the busy pointer while open
    bool overrideWhileOpen = true;
    QTimer::singleShot(0, [&] {
        overrideWhileOpen = QApplication::overrideCursor() != nullptr;
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    dialogs.message("Open Profile", "text");
    EXPECT_FALSE(overrideWhileOpen);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}

TEST(Form1Formats, TextFileThroughTheRealParameterDialog)
{
    const test::TempDir dir;
    const std::string path = dir / "two.dat";
    test::PutFile(path, " 1  2  3 \r\n 4  5  6 \r\n");
    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    FrmData *frm = w.frmData();
    test::Trigger(w, "mnuOpenAscii");
    ASSERT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Enter Data"));
    EXPECT_EQ(test::Find<QGroupBox>(*frm, "Frame1")->title(), QStringLiteral("Acqu. Parameters"));
    for (const auto &[label, text] : {std::pair("Label1", "No. of Traces"), {"Label2", "No. of Samples"}, {"Label3", "Total Time"}})
        EXPECT_EQ(test::Find<QLabel>(*frm, label)->text(), QString::fromLatin1(text));
    EXPECT_EQ(frm->cmdOK()->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(frm->cmdCancel()->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(frm->width(), 220); // 3300 twips
    EXPECT_TRUE(test::Held(w));
    test::Fill(*frm, {{DataField::Text1, "2"}, {DataField::Text2, "0"}, {DataField::Text3, "6"}});
    frm->cmdOK()->click();
    EXPECT_EQ(d.criticals, 1);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(test::Held(w));
    test::Fill(*frm, {{DataField::Text2, "3"}});
    d.files.push_back(path);
    frm->cmdOK()->click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(test::TakesInput(w));
    EXPECT_EQ(w.captionLabel(Caption::Label5)->text(), QStringLiteral("No. of Traces = 2"));
    for (const bool button : {true, false}) {
        test::Trigger(w, "mnuOpenAscii");
        EXPECT_TRUE(frm->field(DataField::Text1)->text().isEmpty());
        button ? frm->cmdCancel()->click() : void(frm->close());
        EXPECT_FALSE(frm->isVisible());
        EXPECT_TRUE(test::TakesInput(w));
    }
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 2);
}

// When the Cancel button comes up, a key for the gain field and a click on it are queued.
class ClickWhenShown : public QObject {
public:
    ClickWhenShown(QPushButton *button, QLineEdit *field) : button_(button), field_(field) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            ++shows;
            QCoreApplication::postEvent(field_, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
            const QPointF at(button_->width() / 2.0, button_->height() / 2.0);
            for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(button_, new QMouseEvent(t, at, button_->mapToGlobal(at), Qt::LeftButton,
                                                                    t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                                    Qt::NoModifier));
        }
        return false;
    }
    int shows = 0;
    QPushButton *button_;
    QLineEdit *field_;
};

TEST(Form1Formats, CancelButtonStopsARead)
{
    const test::TempDir dir;
    const std::string first = dir / "first.su", second = dir / "second.su", text = dir / "third.dat";
    test::PutFile(first, test::SUBytes(30, 20)), test::PutFile(second, test::SUBytes(50, 40)), test::PutFile(text, test::Ones(600));
    test::FakeDialogs d;
    auto owned = test::OpenedWindow(d, first);
    Form1 &w = *owned;
    ASSERT_EQ(test::StoreOf(w.app()).NTraces, 30);
    const test::EagerPacing eager;
    QPushButton *cancel = w.cmdCancelRead();
    QLineEdit *gain = w.field(Field::txtGainValue);
    const QString gainText = gain->text();
    const QLabel *caption = w.captionLabel(Caption::lblReadTr);
    const struct { const char *name; std::string path; std::function<void()> open; } cases[] = {
        {"SU", second, [&] { test::Trigger(w, "mnuOpenSU"); }},
        {"text", text, [&] {
             test::Trigger(w, "mnuOpenAscii");
             test::Fill(*w.frmData(), {{DataField::Text1, "60"}, {DataField::Text2, "10"}, {DataField::Text3, "5"}});
             w.frmData()->cmdOK()->click();
         }},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        ClickWhenShown user(cancel, gain);
        cancel->installEventFilter(&user);
        d.files = {k.path};
        k.open();
        cancel->removeEventFilter(&user);
        EXPECT_EQ(user.shows, 1);
        EXPECT_EQ(cancel->pos(), caption->mapTo(&w, QPoint(0, caption->height())));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(cancel->isHidden());
        EXPECT_TRUE(caption->isHidden());
        EXPECT_EQ(test::StoreOf(w.app()).NTraces, 30);
        EXPECT_EQ(test::StoreOf(w.app()).DataFileName, first);
        EXPECT_EQ(gain->text(), gainText);
        EXPECT_TRUE(d.messages.empty());
        EXPECT_FALSE(w.app().busy());
    }
    d.files = {second};
    test::Trigger(w, "mnuOpenSU");
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 50);
    EXPECT_TRUE(cancel->isHidden());
}

// Two moves leave the pixels one move to the second place leaves; a press after a move, a press alone.
TEST(Form1Picking, MarksLeaveNoTrailsInThePixels)
{
    test::FakeDialogs d1, d2;
    auto a = test::OpenedWindow(d1);
    auto b = test::OpenedWindow(d2);
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

// The display window typed (the overlap too, as Next Group writes it back) and Re-Plot clicked.
std::function<void(Form1 &)> Typed(const char *f1, const char *fl, const char *s1, const char *sl, const char *overlap = "0")
{
    return [=](Form1 &w) {
        for (const auto &[f, t] : {std::pair(Field::txt1sttr, f1), {Field::txtLsttr, fl}, {Field::txt1stsamp, s1},
                                   {Field::txtLstsamp, sl}, {Field::txtGroupOverlap, overlap}})
            w.field(f)->setText(QString::fromLatin1(t));
        Find<QPushButton>(w, "cmdRePlot")->click();
    };
}
std::function<void(Form1 &)> Wheel(int dy, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    return [=](Form1 &w) { // at the canvas's bottom right corner
        const QPointF at = w.pctProfile()->contentsRect().bottomRight() + QPointF(1, 1);
        QWheelEvent e(at, w.pctProfile()->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.pctProfile(), &e);
    };
}

// Each key and wheel turn leaves the fields, the stepper, the picks and both pictures as the controls it stands for.
TEST(Form1Keys, KeysAndWheelDoWhatTheirControlsDo)
{
    using Act = std::function<void(Form1 &)>;
    const auto keys = [](std::vector<Qt::Key> ks) { return [ks](Form1 &w) { for (Qt::Key k : ks) QTest::keyClick(&w, k); }; };
    const Act none = [](Form1 &) {};
    const struct { const char *name; Act prepare, key, click; } cases[] = {
        {"Right, Down, . on, then Left, Up, , back: one green trace", none,
         keys({Qt::Key_Right, Qt::Key_Down, Qt::Key_Period, Qt::Key_Period, Qt::Key_Left, Qt::Key_Up, Qt::Key_Comma}),
         [](Form1 &w) { w.upd()->upButton()->click(); }},
        {"Page Down", none, keys({Qt::Key_PageDown}), [](Form1 &w) { Find<QPushButton>(w, "cmdNextGroup")->click(); }},
        {"Page Up", Typed("151", "250", "1", "400", "5"), keys({Qt::Key_PageUp}), Typed("56", "155", "1", "400", " 5")},
        {"Page Up at trace 1", none, keys({Qt::Key_PageUp}), Typed("1", "200", "1", "400", " 0")},
        {"Space, Return", [](Form1 &w) { Move(w, 300); }, keys({Qt::Key_Space, Qt::Key_Return}),
         [](Form1 &w) { Press(w, 300, Qt::RightButton), Press(w, 300, Qt::LeftButton); }},
        {"wheel, Shift+wheel", Typed("1", "200", "1", "100"), [](Form1 &w) { Wheel(-120)(w), Wheel(-240, Qt::ShiftModifier)(w); },
         Typed("41", "240", "11", "110")},
        {"Ctrl+wheel in", none, Wheel(120, Qt::ControlModifier), Typed("41", "200", "81", "400")},
        {"Ctrl+wheel out", none, Wheel(-120, Qt::ControlModifier), Typed("1", "250", "1", "400")},
    };
    const auto state = [](Form1 &w) {
        QStringList texts;
        for (int f = 0; f < int(Field::Count); ++f) texts << w.field(Field(f))->text();
        return std::tuple(texts, w.app().upd.Min(), w.app().upd.Max(), w.app().upd.Value(), test::StoreOf(w.app()).Picks,
                          w.captionLabel(Caption::Label3)->text(), w.pctProfile()->image(), w.pctTrace()->image());
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        test::FakeDialogs d1, d2;
        auto byKey = test::OpenedWindow(d1), byClick = test::OpenedWindow(d2);
        byKey->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(byKey.get()));
        k.prepare(*byKey), k.prepare(*byClick);
        const auto before = state(*byKey);
        k.key(*byKey), k.click(*byClick);
        EXPECT_TRUE(state(*byKey) == state(*byClick));
        EXPECT_FALSE(state(*byKey) == before);
    }
}

TEST(Form1Picking, AutomaticThroughTheRealDialog)
{
    test::FakeDialogs d;
    auto w = test::OpenedWindow(d);
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
    EXPECT_FALSE(s.RawData == raw);
    EXPECT_NE(w->pctProfile()->image(), before);
    EXPECT_TRUE(d.messages.empty());
    int cancels = 0; // while a run goes on, "&Cancel" and the close control ask it to stop
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
