#include "ui/frmdata.h"

#include "ui/layout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace orv {

namespace {

// Design places in twips, relative to the container.
QRect Px(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

constexpr int DesignWidth = 7500;
constexpr int DesignHeight = 2580;
constexpr int AcquisitionWidth = 3300;     // the acquisition frame alone
constexpr int CrossCorrelationWidth = 4800; // the cross-correlation frame alone

// Labels are 255 twips high and text boxes 285 in this dialog.
constexpr int LabelHeight = 255;
constexpr int FieldHeight = 285;

QGroupBox *Frame(QWidget *parent, const char *name, const char *caption, QRect place)
{
    auto *frame = new QGroupBox(QString::fromLatin1(caption), parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(place);
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; top: -1px; padding: 0 2px; }"));
    return frame;
}

QPushButton *Button(QWidget *parent, const char *name, const char *caption, QRect place)
{
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    b->setAutoDefault(false);
    return b;
}

} // namespace

FrmData::FrmData(QWidget *mainWindow) : QDialog(mainWindow), main_(mainWindow)
{
    setObjectName(QStringLiteral("frmData"));
    setWindowTitle(QStringLiteral("Enter Data"));
    setFont(mainWindow ? mainWindow->font() : font());
    setModal(false);
    resize(TwipsToPixels(DesignWidth), TwipsToPixels(DesignHeight));

    frame1_ = Frame(this, "Frame1", "Acqu. Parameters", Px(240, 240, 2535, 1455));
    frame2_ = Frame(this, "Frame2", "Cross Corelation Parameters", Px(3000, 360, 4215, 1575));
    QGroupBox *frame3 = Frame(frame2_, "Frame3", "Key Trace", Px(120, 360, 1935, 1095));
    QGroupBox *frame4 = Frame(frame2_, "Frame4", "Target Trace", Px(2160, 360, 1935, 1095));

    const struct {
        QWidget *frame;
        const char *label, *labelName, *fieldName;
        int labelLeft, fieldLeft, top, labelWidth;
    } rows[] = {
        {frame1_, "No. of Traces", "Label1", "Text1", 240, 1560, 240, 1095},
        {frame1_, "No. of Samples", "Label2", "Text2", 240, 1560, 600, 1095},
        {frame1_, "Total Time", "Label3", "Text3", 240, 1560, 960, 855},
        {frame3, "1st Samp.", "Label4", "txtKey1st", 120, 1080, 360, 855},
        {frame3, "Last Samp", "Label5", "txtKeyLast", 120, 1080, 720, 855},
        {frame4, "1st Samp", "Label6", "txtTarg1st", 120, 1080, 360, 735},
        {frame4, "Last Samp", "Label7", "txtTargLast", 120, 1080, 720, 855},
    };
    static_assert(std::size(rows) == static_cast<size_t>(DataField::Count));
    for (size_t k = 0; k < std::size(rows); ++k) {
        auto *l = new QLabel(QString::fromLatin1(rows[k].label), rows[k].frame);
        l->setObjectName(QString::fromLatin1(rows[k].labelName));
        l->setGeometry(Px(rows[k].labelLeft, rows[k].top, rows[k].labelWidth, LabelHeight));
        auto *e = new QLineEdit(rows[k].frame);
        e->setObjectName(QString::fromLatin1(rows[k].fieldName));
        e->setGeometry(Px(rows[k].fieldLeft, rows[k].top, 735, FieldHeight));
        e->setTextMargins(0, 0, 0, 0);
        fields_[k] = e;
    }

    cmdOK_ = Button(this, "cmdOK", "&Ok", Px(480, 1920, 855, 375));
    cmdCancel_ = Button(this, "cmdCancel", "&Cancel", Px(1560, 1920, 855, 375));
    cmdOK2_ = Button(this, "cmdOK2", "&Ok", Px(3600, 2040, 975, 375));
    cmdCancel2_ = Button(this, "cmdCancel2", "&Cancel", Px(5280, 2040, 975, 375));
    connect(cmdOK_, &QPushButton::clicked, this, &FrmData::okClicked);
    connect(cmdCancel_, &QPushButton::clicked, this, &FrmData::cancelClicked);
    connect(cmdOK2_, &QPushButton::clicked, this, &FrmData::ok2Clicked);
    connect(cmdCancel2_, &QPushButton::clicked, this, &FrmData::cancel2);
}

void FrmData::holdMainWindow(bool hold)
{
    // The main window's menu bar and controls; the dialog, a window of its
    // own, stays usable.
    if (auto *w = qobject_cast<QMainWindow *>(main_)) {
        if (w->centralWidget())
            w->centralWidget()->setEnabled(!hold);
        w->menuBar()->setEnabled(!hold);
    }
}

void FrmData::showFrame(bool crossCorrelation, int width)
{
    frame1_->setVisible(!crossCorrelation);
    cmdOK_->setVisible(!crossCorrelation);
    cmdCancel_->setVisible(!crossCorrelation);
    frame2_->setVisible(crossCorrelation);
    cmdOK2_->setVisible(crossCorrelation);
    cmdCancel2_->setVisible(crossCorrelation);
    for (QLineEdit *e : fields_)
        e->clear();
    resize(TwipsToPixels(width), TwipsToPixels(DesignHeight));
    // The load handler's place: 400 twips from the screen's top-left corner.
    const QScreen *s = main_ && main_->screen() ? main_->screen() : screen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint(0, 0);
    move(origin + QPoint(TwipsToPixels(400), TwipsToPixels(400)));
    holdMainWindow(true);
    show();
    raise();
    activateWindow();
    field(crossCorrelation ? DataField::txtKey1st : DataField::Text1)->setFocus();
}

void FrmData::showAcquisition() { showFrame(false, AcquisitionWidth); }

void FrmData::showCrossCorrelation()
{
    // The frame and its buttons move to where the hidden acquisition frame
    // stood.
    frame2_->move(TwipsToPixels(200), frame2_->y());
    cmdOK2_->move(TwipsToPixels(800), cmdOK2_->y());
    cmdCancel2_->move(TwipsToPixels(2480), cmdCancel2_->y());
    showFrame(true, CrossCorrelationWidth);
}

std::string FrmData::text(DataField f) const { return field(f)->text().toStdString(); }

void FrmData::closeDialog()
{
    hide();
    holdMainWindow(false);
}

void FrmData::setWorking(bool working)
{
    working_ = working;
    stop_ = false;
    frame2_->setEnabled(!working);
    cmdOK2_->setEnabled(!working);
}

bool FrmData::stopRequested()
{
    // The main window is held, so of all user input only this dialog's
    // reaches anything.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return stop_;
}

void FrmData::cancel2()
{
    if (working_)
        stop_ = true;
    else
        emit cancel2Clicked();
}

// Closed with the window's own close control: as "&Cancel", the main
// window takes input again and the loaded profile stays. During a run it
// stops the run; the dialog closes when the run has ended.
void FrmData::closeEvent(QCloseEvent *e)
{
    if (working_) {
        stop_ = true;
        e->ignore();
        return;
    }
    holdMainWindow(false);
    QDialog::closeEvent(e);
}

void FrmData::reject()
{
    if (frame2_->isVisible())
        cancel2();
    else
        emit cancelClicked();
}

} // namespace orv
