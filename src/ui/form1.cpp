#include "ui/form1.h"

#include "app/app.h"
#include "app/cmdline.h"
#include "ui/frmdata.h"
#include "ui/qtcanvas.h"
#include "ui/qtcontrols.h"
#include "ui/qtdialogs.h"
#include "ui/updown.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace orv {

QFont CompactFont()
{
    // A narrow sans-serif where one is installed (the classic dialog font's
    // metrics), else the system's own family; 11 pixels either way.
    QFont f = QApplication::font();
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"), f.family()});
    f.setPixelSize(11);
    return f;
}

namespace {

QString Q(const char *latin1) { return QString::fromLatin1(latin1); }

QLabel *MakeLabel(QWidget *parent, const char *name, const char *text, bool wrap = false)
{
    auto *l = new QLabel(Q(text), parent);
    l->setObjectName(Q(name));
    // Captions start at the top left of their box, as the window was drawn.
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(wrap);
    return l;
}

QLineEdit *MakeEdit(QWidget *parent, const char *name, const char *text)
{
    auto *e = new QLineEdit(Q(text), parent);
    e->setObjectName(Q(name));
    e->setTextMargins(0, 0, 0, 0);
    return e;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const char *text)
{
    auto *b = new QPushButton(Q(text), parent);
    b->setObjectName(Q(name));
    return b;
}

QGroupBox *MakeFrame(QWidget *parent, const char *name, const char *title)
{
    auto *g = new QGroupBox(Q(title), parent);
    g->setObjectName(Q(name));
    // The caption sits on the frame's top line, as frames were drawn, so the
    // children placed near the top stay inside the line.
    g->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; top: -1px; padding: 0 2px; }"));
    return g;
}

// A wrapped caption that needs more lines than its box holds gets a smaller
// font, one pixel at a time, down to 9 pixels.
void FitWrappedCaption(QLabel *l)
{
    QFont f = l->font();
    while (l->heightForWidth(l->width()) > l->height() && f.pixelSize() > 9) {
        f.setPixelSize(f.pixelSize() - 1);
        l->setFont(f);
    }
}

QRect ToPixels(const Rect &r)
{
    return QRect(TwipsToPixels(r.Left), TwipsToPixels(r.Top), TwipsToPixels(r.Width),
                 TwipsToPixels(r.Height));
}

template <typename Array, typename Enum>
typename Array::value_type At(const Array &a, Enum e)
{
    const auto i = static_cast<size_t>(e);
    return i < a.size() ? a[i] : nullptr;
}

// The widget of every enumerator, by object name, in enumerator order. An
// enumerator added without its name here does not compile.
constexpr const char *FieldNames[] = {
    "txt1sttr", "txtLsttr", "txt1stsamp", "txtLstsamp", "txtAmpClip",
    "txtGainValue", "txtTraceCSG", "txtGroupOverlap", "txtPickRange", "Text1",
};
static_assert(std::size(FieldNames) == static_cast<size_t>(Field::Count), "a Field without its widget");

constexpr const char *CaptionNames[] = {
    "Label1", "Label3", "Label5", "Label6", "lblReadTr",
    "lblSamp0", "lblSamp1", "lblSamp2", "lblSamp3", "lblSamp4",
    "lblTime0", "lblTime1", "lblTime2", "lblTime3", "lblTime4",
};
static_assert(std::size(CaptionNames) == static_cast<size_t>(Caption::Count), "a Caption without its label");

constexpr const char *OptionNames[] = {"optNormNone", "optNormCSG", "optNormTrace"};
static_assert(std::size(OptionNames) == static_cast<size_t>(Option::Count), "an Option without its button");

constexpr const char *CheckNames[] = {"mnuZeroPick", "mnuZeroPick2", "mnuMaxPick", "mnuMinPick"};
static_assert(std::size(CheckNames) == static_cast<size_t>(MenuCheck::Count), "a MenuCheck without its item");

// Finds each named child for the role array; a name with no widget is a
// fault of the window's construction, reported at once.
template <typename W, size_t N>
void BindByName(std::array<W *, N> &out, const QObject *root, const char *const (&names)[N])
{
    for (size_t i = 0; i < N; ++i) {
        out[i] = root->findChild<W *>(Q(names[i]));
        if (!out[i])
            throw std::logic_error(std::string("the main window has no control named ") + names[i]);
    }
}

int ButtonNumber(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return MouseLeft;
    case Qt::RightButton:
        return MouseRight;
    case Qt::MiddleButton:
        return MouseMiddle;
    default:
        return static_cast<int>(b); // any other button picks where the pointer is
    }
}

// One axis of the display window, 1 <= first <= last <= count.
struct Span {
    int first, last;
    bool operator==(const Span &) const = default;
};

// Moved by a tenth of its length (at least one) for each wheel step; a
// positive step goes back (up, left). Kept inside the profile, its length
// unchanged.
Span Scrolled(Span s, int count, int steps)
{
    const int len = s.last - s.first + 1;
    const int by = std::max(1, static_cast<int>(std::lround(len / 10.0)));
    const int first = std::clamp(s.first - steps * by, 1, std::max(1, count - len + 1));
    return {first, first + len - 1};
}

// Shorter (steps > 0) or longer by 1.25 for each step, at least one trace or
// sample a step, at most the whole profile; the place a fraction f along
// the span stays where it was.
Span Zoomed(Span s, int count, int steps, double f)
{
    const int len = s.last - s.first + 1;
    const double scaled = len * std::pow(1.25, -steps);
    int n = static_cast<int>(std::lround(scaled));
    if (steps > 0)
        n = std::min(n, len - 1);
    else
        n = std::max(n, len + 1);
    n = std::clamp(n, 1, count);
    const double at = s.first - 0.5 + f * len; // the place under the pointer
    const int first = std::clamp(static_cast<int>(std::lround(at + 0.5 - f * n)), 1, count - n + 1);
    return {first, first + n - 1};
}

} // namespace

Form1::Form1(Dialogs *dialogs, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orvane"));
    setFont(CompactFont());

    auto *innerArea = new QWidget(this);
    innerArea->setObjectName(QStringLiteral("inner"));
    setCentralWidget(innerArea);

    buildControls();
    buildMenus();
    bindWidgets();

    controls_ = std::make_unique<QtControls>(*this);
    if (dialogs) {
        dialogs_ = dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        dialogs_ = ownDialogs_.get();
    }
    frmData_ = new FrmData(this);
    app_ = std::make_unique<App>(*controls_, *dialogs_, *pctProfile_, *pctTrace_, frmData_);
    upd_->setStepper(&app_->upd);
    bindHandlers();
    addDensityAndPicksCsv();

    // Design size of the inner area, below the menu bar.
    resize(TwipsToPixels(DesignInnerWidth), TwipsToPixels(DesignInnerHeight) + menuBarHeight());

    // The load handler: the window at 100, 100 twips, the layout not yet done,
    // then the application's own start-up (pick rule, progress label and
    // About panel hidden).
    move(TwipsToPixels(100), TwipsToPixels(100));
    layoutDone_ = 0;
    app_->Form_Load();
}

Form1::~Form1()
{
    // The stepper belongs to the application object, which goes before the
    // widgets: detach the up-down control from it first.
    upd_->setStepper(nullptr);
    app_.reset();
}

QWidget *Form1::inner() const { return centralWidget(); }

void Form1::place(QWidget *w)
{
    w->setGeometry(ToPixels(DesignRect(w->objectName().toStdString())));
}

void Form1::buildControls()
{
    QWidget *f = inner();

    pctProfile_ = new QtCanvas(f);
    pctProfile_->setObjectName(QStringLiteral("pctProfile"));
    pctTrace_ = new QtCanvas(f);
    pctTrace_->setObjectName(QStringLiteral("pctTrace"));

    static const char *const samp[5] = {"lblSamp0", "lblSamp1", "lblSamp2", "lblSamp3", "lblSamp4"};
    static const char *const time[5] = {"lblTime0", "lblTime1", "lblTime2", "lblTime3", "lblTime4"};
    for (int k = 0; k < 5; ++k) {
        MakeLabel(f, samp[k], "");
        MakeLabel(f, time[k], "");
    }

    MakeLabel(f, "Label10", "Samples");
    MakeLabel(f, "Label5", "No. of Traces");
    MakeLabel(f, "Label6", "No. of Samples");
    MakeLabel(f, "Label4", "Sample Interval");
    MakeEdit(f, "Text1", "");
    MakeLabel(f, "Label12", "Time");
    MakeLabel(f, "Label1", "Trace # 1");
    upd_ = new UpDown(f);
    upd_->setObjectName(QStringLiteral("upd"));

    // The "Draw" frame and its contents, placed relative to the frame.
    QGroupBox *frame4 = MakeFrame(f, "Frame4", "Draw");
    MakeLabel(frame4, "Label9", "Traces");
    MakeEdit(frame4, "txt1sttr", "");
    MakeEdit(frame4, "txtLsttr", "");
    MakeLabel(frame4, "Label11", "Samples");
    MakeEdit(frame4, "txt1stsamp", "");
    MakeEdit(frame4, "txtLstsamp", "");
    cmdRePlot_ = MakeButton(frame4, "cmdRePlot", "Re-Plot");
    cmdAll_ = MakeButton(frame4, "cmdAll", "All Profile");
    cmdNextGroup_ = MakeButton(frame4, "cmdNextGroup", "Next Group");
    QGroupBox *frame1 = MakeFrame(frame4, "Frame1", "Normalization");
    auto makeOption = [frame1](const char *name, const char *text) {
        auto *r = new QRadioButton(Q(text), frame1);
        r->setObjectName(Q(name));
        return r;
    };
    makeOption("optNormNone", "None")->setChecked(true);
    makeOption("optNormCSG", "CSG");
    makeOption("optNormTrace", "Trace");
    MakeLabel(frame4, "Label15", "Group Overlap");
    MakeEdit(frame4, "txtGroupOverlap", "0");

    MakeLabel(f, "Label7", "Gain Value");
    MakeEdit(f, "txtGainValue", "400");
    MakeLabel(f, "Label13", "Clip Value");
    MakeEdit(f, "txtAmpClip", "1000");
    MakeLabel(f, "Label14", "Traces/CSG");
    MakeEdit(f, "txtTraceCSG", "24");
    MakeLabel(f, "Label2", "Left Click = Automatic Pick Right Click = Exact Pick", true);
    MakeLabel(f, "lblReadTr", "Reading Trace # 1");
    // Put up below the progress caption by a read that lasts. A child of the
    // window itself rather than of its inner area, which the parameter dialog
    // disables while it is open, text files being read from its "&Ok". It
    // never takes the keyboard focus from the fields.
    cmdCancelRead_ = MakeButton(this, "cmdCancelRead", "Cancel");
    cmdCancelRead_->setFocusPolicy(Qt::NoFocus);
    cmdCancelRead_->hide();
    MakeLabel(f, "Label3", "Picked Time = ");
    MakeLabel(f, "Label8", "Pick Range (Sample)", true);
    MakeEdit(f, "txtPickRange", "20");

    // The About panel lies on the profile canvas and covers the drawing under it.
    frmAbout_ = MakeFrame(pctProfile_, "frmAbout", "About");
    // Opaque in the button-face colour, the frame's margin above its line
    // included; a style sheet ignores the plain fill flag.
    frmAbout_->setStyleSheet(frmAbout_->styleSheet()
                             + QStringLiteral(" QGroupBox#frmAbout { background-color: palette(button); margin-top: 0px; border-radius: 0px; }"
                                              " QGroupBox#frmAbout::title { background-color: palette(button); }"));
    frmAbout_->setAutoFillBackground(true);
    MakeLabel(frmAbout_, "Label16", "");
    MakeLabel(frmAbout_, "Label17", "");
    MakeLabel(frmAbout_, "Label18", "For any bugs or comments please contact me");
    MakeLabel(frmAbout_, "Label19", "");
    MakeLabel(frmAbout_, "Label20", "The Orvane developers");
    MakeLabel(frmAbout_, "Label21", "via the project's issue tracker");
    cmdAbouOK_ = MakeButton(frmAbout_, "cmdAbouOK", "OK");
    frmAbout_->hide();

    for (const DesignEntry &e : DesignTable()) {
        if (auto *w = f->findChild<QWidget *>(Q(e.name)))
            place(w);
    }
    for (const char *name : {"Label2", "Label8"})
        FitWrappedCaption(f->findChild<QLabel *>(Q(name)));
}

void Form1::bindWidgets()
{
    BindByName(fields_, inner(), FieldNames);
    BindByName(captions_, inner(), CaptionNames);
    BindByName(options_, inner(), OptionNames);
    BindByName(checks_, menuBar(), CheckNames);
}

void Form1::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto action = [](QMenu *menu, const char *name, const char *text) {
        QAction *a = menu->addAction(Q(text));
        a->setObjectName(Q(name));
        return a;
    };

    mnuFile_ = bar->addMenu(QStringLiteral("&File"));
    mnuFile_->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen_ = mnuFile_->addMenu(QStringLiteral("Open Profile"));
    mnuOpen_->setObjectName(QStringLiteral("mnuOpen"));
    mnuSave_ = mnuFile_->addMenu(QStringLiteral("Save Profile"));
    mnuSave_->setObjectName(QStringLiteral("mnuSave"));
    // One item in each menu per format; a format that is read only shows
    // its Save item greyed out, or none where its row says so.
    for (const ProfileFormat &pf : Formats()) {
        openItems_.push_back(action(mnuOpen_, ("mnuOpen" + std::string(pf.menu)).c_str(), pf.caption));
        QAction *save = nullptr;
        if (pf.saveItem) {
            save = action(mnuSave_, ("mnuSave" + std::string(pf.menu)).c_str(), pf.caption);
            save->setEnabled(pf.write != nullptr);
        }
        saveItems_.push_back(save);
    }
    mnuFile_->addSeparator()->setObjectName(QStringLiteral("mnu2"));
    mnuSavePick_ = action(mnuFile_, "mnuSavePick", "Save Picking");
    mnuExit_ = action(mnuFile_, "mnuExit", "Exit");

    mnuTools_ = bar->addMenu(QStringLiteral("Tools"));
    mnuTools_->setObjectName(QStringLiteral("mnuTools"));
    mnuReplot_ = action(mnuTools_, "mnuReplot", "Re-Plot Profile");
    mnuReset_ = action(mnuTools_, "mnuReset", "Reset Picking");
    mnuTools_->addSeparator()->setObjectName(QStringLiteral("mnu1"));
    // The pick rules; the application sets their check marks, the first
    // rule's to begin with.
    const char *const ruleCaptions[] = {"Zero Picking (-ve -> +ve)", "Zero Picking (+ve -> -ve)",
                                        "Max. Picking", "Min. Picking"};
    for (size_t k = 0; k < std::size(CheckNames); ++k) {
        QAction *a = action(mnuTools_, CheckNames[k], ruleCaptions[k]);
        a->setCheckable(true);
        a->setChecked(k == 0);
    }

    // A menu title without an action of its own.
    mnuadjustair_ = bar->addMenu(QStringLiteral("Adjust Air Wave"));
    mnuadjustair_->setObjectName(QStringLiteral("mnuadjustair"));
    mnuCurrentPick_ = action(mnuadjustair_, "mnuCurrentPick", "Current Picking");
    mnuFromFile_ = action(mnuadjustair_, "mnuFromFile", "From File");
    mnuAutomatic_ = action(mnuadjustair_, "mnuAutomatic", "Automatic");

    // About is a menu-bar item that acts when clicked.
    mnuAbout_ = bar->addAction(QStringLiteral("About"));
    mnuAbout_->setObjectName(QStringLiteral("mnuAbout"));
}

// Every command runs through one guard: whatever a command could not
// finish (memory running out in the middle of a plot, say) is reported and
// the program goes on, instead of ending on an unhandled exception. While a
// long command runs, nothing else gets through.
void Form1::runCommand(const std::function<void()> &command)
{
    if (app_->busy())
        return;
    try {
        command();
    } catch (const std::exception &e) {
        dialogs_->message("Orvane", std::string("The command could not be completed: ") + e.what());
    }
}

void Form1::bindHandlers()
{
    auto run = [this](const std::function<void()> &command) { runCommand(command); };
    auto guarded = [this, run](void (App::*handler)()) {
        return [this, run, handler] { run([this, handler] { (app_.get()->*handler)(); }); };
    };
    connect(cmdRePlot_, &QPushButton::clicked, this, guarded(&App::cmdRePlot_Click));
    connect(cmdAll_, &QPushButton::clicked, this, guarded(&App::cmdAll_Click));
    connect(cmdNextGroup_, &QPushButton::clicked, this, guarded(&App::cmdNextGroup_Click));
    connect(cmdAbouOK_, &QPushButton::clicked, this, guarded(&App::cmdAbouOK_Click));
    // The one control that acts while a read runs: it only raises a flag the
    // read looks at.
    connect(cmdCancelRead_, &QPushButton::clicked, this, [this] { cancelReadClicked_ = true; });

    for (const ProfileFormat &pf : Formats()) {
        const FormatId id = pf.id;
        connect(openItems_[static_cast<size_t>(id)], &QAction::triggered, this,
                [this, run, id] { run([this, id] { app_->mnuOpen_Click(id); }); });
        if (QAction *save = saveItems_[static_cast<size_t>(id)])
            connect(save, &QAction::triggered, this, [this, run, id] { run([this, id] { app_->mnuSave_Click(id); }); });
    }
    connect(frmData_, &FrmData::okClicked, this, guarded(&App::frmData_cmdOK_Click));
    connect(frmData_, &FrmData::cancelClicked, this, guarded(&App::frmData_cmdCancel_Click));
    connect(frmData_, &FrmData::ok2Clicked, this, guarded(&App::frmData_cmdOK2_Click));
    connect(frmData_, &FrmData::cancel2Clicked, this, guarded(&App::frmData_cmdCancel2_Click));
    connect(mnuExit_, &QAction::triggered, this, guarded(&App::mnuExit_Click));
    connect(mnuReplot_, &QAction::triggered, this, guarded(&App::mnuReplot_Click));
    connect(mnuAbout_, &QAction::triggered, this, guarded(&App::mnuAbout_Click));
    connect(mnuSavePick_, &QAction::triggered, this, guarded(&App::mnuSavePick_Click));
    connect(mnuReset_, &QAction::triggered, this, guarded(&App::mnuReset_Click));
    connect(mnuCurrentPick_, &QAction::triggered, this, guarded(&App::mnuCurrentPick_Click));
    connect(mnuFromFile_, &QAction::triggered, this, guarded(&App::mnuFromFile_Click));
    connect(mnuAutomatic_, &QAction::triggered, this, guarded(&App::mnuAutomatic_Click));
    void (App::*const rules[])() = {&App::mnuZeroPick_Click, &App::mnuZeroPick2_Click, &App::mnuMaxPick_Click,
                                     &App::mnuMinPick_Click};
    static_assert(std::size(rules) == static_cast<size_t>(MenuCheck::Count));
    for (size_t k = 0; k < checks_.size(); ++k)
        connect(checks_[k], &QAction::triggered, this, guarded(rules[k]));

    // Picking on the trace canvas: only the pointer's height counts.
    connect(pctTrace_, &QtCanvas::mouseMoved, this,
            [this, run](float, float y, Qt::MouseButtons, Qt::KeyboardModifiers) {
                pointerY_ = y;
                keyExactPick_->setEnabled(true);
                keyRulePick_->setEnabled(true);
                run([this, y] { app_->pctTrace_MouseMove(y); });
            });
    connect(pctTrace_, &QtCanvas::mousePressed, this,
            [this, run](float, float y, Qt::MouseButton button, Qt::KeyboardModifiers) {
                pointerY_ = y;
                run([this, y, button] { app_->pctTrace_MouseDown(ButtonNumber(button), y); });
            });

    // Pointer moves over the window background and over the profile canvas
    // bring back the default arrow.
    inner()->setMouseTracking(true);
    inner()->installEventFilter(this);
    pctProfile_->setMouseTracking(true);
    pctTrace_->setMouseTracking(true);
    connect(pctProfile_, &QtCanvas::mouseMoved, this, [this] { app_->Form_MouseMove(); });
    bindKeys(run);
}

void Form1::bindKeys(const std::function<void(const std::function<void()> &)> &run)
{
    using K = QKeySequence;
    const struct {
        const char *name;
        QList<QKeySequence> keys;
        std::function<void()> act;
    } keys[] = {
        {"keyNextTrace", {K(Qt::Key_Right), K(Qt::Key_Down), K(Qt::Key_Period)}, [this] { upd_->upButton()->click(); }},
        {"keyPrevTrace", {K(Qt::Key_Left), K(Qt::Key_Up), K(Qt::Key_Comma)}, [this] { upd_->downButton()->click(); }},
        {"keyNextGroup", {K(Qt::Key_PageDown)}, [this] { cmdNextGroup_->click(); }},
        {"keyPrevGroup", {K(Qt::Key_PageUp)}, [this, run] { run([this] { app_->cmdPrevGroup_Click(); }); }},
        {"keyExactPick", {K(Qt::Key_Space)},
         [this, run] { run([this] { app_->pctTrace_MouseDown(MouseRight, pointerY_); }); }},
        {"keyRulePick", {K(Qt::Key_Return), K(Qt::Key_Enter)},
         [this, run] { run([this] { app_->pctTrace_MouseDown(MouseLeft, pointerY_); }); }},
        {"keyUndo", {K(Qt::CTRL | Qt::Key_Z)}, [this, run] { run([this] { app_->undoPicks(); }); }},
        {"keyRedo", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)},
         [this, run] { run([this] { app_->redoPicks(); }); }},
    };
    for (const auto &k : keys) {
        auto *a = new QAction(this);
        a->setObjectName(Q(k.name));
        a->setShortcuts(k.keys);
        // Held like the controls while the parameter dialog is open.
        connect(a, &QAction::triggered, this, [this, act = k.act] {
            if (inner()->isEnabled())
                act();
        });
        addAction(a);
    }
    // Space and Return pick only while the pointer is over the trace canvas;
    // elsewhere they keep their usual meaning (a focused button's Space).
    keyExactPick_ = findChild<QAction *>(QStringLiteral("keyExactPick"));
    keyRulePick_ = findChild<QAction *>(QStringLiteral("keyRulePick"));
    keyExactPick_->setEnabled(false);
    keyRulePick_->setEnabled(false);
    pctTrace_->installEventFilter(this);
    pctProfile_->installEventFilter(this);
    // A click on a canvas takes the keyboard from the fields, so that the
    // arrows step the traces instead of the text cursor.
    pctTrace_->setFocusPolicy(Qt::ClickFocus);
    pctProfile_->setFocusPolicy(Qt::ClickFocus);

    upd_->upButton()->setToolTip(QStringLiteral("Next trace (Right, Down or .)"));
    upd_->downButton()->setToolTip(QStringLiteral("Previous trace (Left, Up or ,)"));
    cmdNextGroup_->setToolTip(QStringLiteral("Next Group (Page Down); the group before: Page Up"));
    pctTrace_->setToolTip(QStringLiteral("Left click or Return: pick by the rule; right click or Space: pick at the "
                                         "pointer; Ctrl+Z: undo a pick; Ctrl+Shift+Z or Ctrl+Y: redo"));
    pctProfile_->setToolTip(QStringLiteral("Wheel: scroll the samples; Shift+wheel: scroll the traces; "
                                           "Ctrl+wheel: zoom around the pointer"));
}

void Form1::wheelOverProfile(const QWheelEvent &e)
{
    const ProfileStore &s = app_->profile();
    if (app_->busy() || !s.hasProfile())
        return;
    const QPoint d = e.angleDelta();
    const bool zoom = e.modifiers() & Qt::ControlModifier;
    const bool traces = !zoom && ((e.modifiers() & Qt::ShiftModifier) || d.y() == 0);
    wheelRest_ += d.y() != 0 ? d.y() : d.x();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps == 0)
        return;
    const QRect r = pctProfile_->contentsRect();
    const QPointF at = e.position();
    const double fx = std::clamp((at.x() - r.left()) / std::max(1, r.width()), 0.0, 1.0);
    const double fy = std::clamp((at.y() - r.top()) / std::max(1, r.height()), 0.0, 1.0);
    const int nt = static_cast<int>(s.NTraces), ns = static_cast<int>(s.NSamples);
    Span tr{s.FirstTrace, s.LastTrace}, sa{s.FirstSample, s.LastSample};
    const Span tr0 = tr, sa0 = sa;
    if (zoom) {
        tr = Zoomed(tr, nt, steps, fx);
        sa = Zoomed(sa, ns, steps, fy);
    } else if (traces) {
        tr = Scrolled(tr, nt, steps);
    } else {
        sa = Scrolled(sa, ns, steps);
    }
    if (tr == tr0 && sa == sa0)
        return; // at the end already: nothing to redraw
    const std::pair<Field, int> values[] = {{Field::txt1sttr, tr.first}, {Field::txtLsttr, tr.last},
                                            {Field::txt1stsamp, sa.first}, {Field::txtLstsamp, sa.last}};
    for (const auto &[f, v] : values)
        field(f)->setText(QString::number(v));
    cmdRePlot_->click();
}

// Tools > Variable Density and File > Export Picks (CSV)..., after the other
// items of their menus.
void Form1::addDensityAndPicksCsv()
{
    auto run = [this](const std::function<void()> &command) { runCommand(command); };
    // Each after a separator of its own, so that the view's check mark does
    // not read as a fifth pick rule and the export stands apart from Exit.
    mnuTools_->addSeparator()->setObjectName(QStringLiteral("mnuSepDensity"));
    mnuVariableDensity_ = mnuTools_->addAction(QStringLiteral("Variable Density"));
    mnuVariableDensity_->setObjectName(QStringLiteral("mnuVariableDensity"));
    mnuVariableDensity_->setCheckable(true);
    connect(mnuVariableDensity_, &QAction::triggered, this, [this, run](bool on) {
        run([this, on] { app_->setVariableDensity(on); });
        mnuVariableDensity_->setChecked(app_->profile().VariableDensity);
    });
    mnuFile_->addSeparator()->setObjectName(QStringLiteral("mnuSepCsv"));
    mnuExportPicksCsv_ = mnuFile_->addAction(QStringLiteral("Export Picks (CSV)\u2026"));
    mnuExportPicksCsv_->setObjectName(QStringLiteral("mnuExportPicksCsv"));
    connect(mnuExportPicksCsv_, &QAction::triggered, this, [this, run] { run([this] { app_->mnuExportPicksCsv_Click(); }); });
}

// The window stays while a long command runs against the store; it can be
// closed once the command has ended.
void Form1::closeEvent(QCloseEvent *e)
{
    if (app_ && app_->busy()) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == inner() && event->type() == QEvent::MouseMove)
        app_->Form_MouseMove();
    if (watched == pctTrace_ && event->type() == QEvent::Leave) {
        keyExactPick_->setEnabled(false);
        keyRulePick_->setEnabled(false);
    }
    if (watched == pctProfile_ && event->type() == QEvent::Wheel) {
        wheelOverProfile(*static_cast<QWheelEvent *>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

int Form1::menuBarHeight() const
{
    const QMenuBar *bar = menuBar();
    if (bar->isNativeMenuBar())
        return 0;
    return bar->isVisible() ? bar->height() : bar->sizeHint().height();
}

void Form1::adjustform()
{
    if (layoutDone_ == 1)
        return;

    // The inner size a maximised window would have: the screen's work area
    // less the window frame (nothing without a window manager) and the menu
    // bar. That size becomes the window's outer size.
    const QScreen *scr = screen();
    const QRect work = scr ? scr->availableGeometry()
                           : QRect(0, 0, TwipsToPixels(DesignInnerWidth), TwipsToPixels(DesignInnerHeight));
    const int frameW = std::max(0, frameGeometry().width() - geometry().width());
    const int frameH = std::max(0, frameGeometry().height() - geometry().height());
    const int menuH = menuBarHeight();
    const WindowFit fit = FitToWorkArea(work.width(), work.height(), frameW, frameH, menuH);

    // On a screen too small for the fixed margins the window keeps the
    // smallest inner area the layout needs and reaches past the screen.
    const int innerW = std::max(fit.outerWidthPx - frameW, TwipsToPixels(MinInnerWidth));
    const int innerH = std::max(fit.outerHeightPx - frameH - menuH, TwipsToPixels(MinInnerHeight));
    resize(innerW, innerH + menuH);
    move(work.topLeft());

    FormLayout f = DesignLayout();
    AdjustLayout(f, PixelsToTwips(innerW), PixelsToTwips(innerH));
    applyLayout(f);
    layoutDone_ = 1;
}

void Form1::applyLayout(const FormLayout &f)
{
    for (const auto &[name, rect] : f.entries()) {
        if (auto *w = inner()->findChild<QWidget *>(QString::fromStdString(name)))
            w->setGeometry(ToPixels(rect));
    }
}

void Form1::openAtStart(const std::string &path)
{
    const StartupOpen open = StartupOpenOf(path);
    QAction *item = open.format == FormatId::None ? nullptr : openItems_[static_cast<size_t>(open.format)];
    if (!item) {
        dialogs_->message("Open Profile", open.message);
        return;
    }
    if (ownDialogs_)
        ownDialogs_->answerNextOpen(open.dataFile);
    item->trigger();
    // A command that never asked (one still running) leaves no answer behind
    // for the next menu open.
    if (ownDialogs_)
        ownDialogs_->dropNextOpen();
}

void Form1::showAbout(bool visible)
{
    if (!visible) {
        frmAbout_->hide();
        return;
    }
    const auto [left, top] =
        CentreIn(pctProfile_->width(), pctProfile_->height(), frmAbout_->width(), frmAbout_->height());
    frmAbout_->move(left, top);
    frmAbout_->show();
    frmAbout_->raise();
}

void Form1::showCancelRead(bool visible)
{
    cancelReadClicked_ = false;
    if (!visible) {
        cmdCancelRead_->hide();
        return;
    }
    // The size of the window's other buttons, at the caption's left edge
    // just below it, wherever the layout has put the caption.
    const QLabel *caption = captionLabel(Caption::lblReadTr);
    const QPoint below = caption->mapTo(this, QPoint(0, caption->height()));
    cmdCancelRead_->setGeometry(below.x(), below.y(), TwipsToPixels(1095), TwipsToPixels(375));
    cmdCancelRead_->show();
    cmdCancelRead_->raise();
}

void Form1::quitProgram()
{
    quitRequested_ = true;
    close();
    // Ends the running event loop. With none running (a test driving the
    // window) there is nothing to end, and asking would make every later
    // event loop, a dialog's too, return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

QLineEdit *Form1::field(Field f) const { return At(fields_, f); }
QLabel *Form1::captionLabel(Caption c) const { return At(captions_, c); }
QRadioButton *Form1::optionButton(Option o) const { return At(options_, o); }
QAction *Form1::checkItem(MenuCheck m) const { return At(checks_, m); }

} // namespace orv
