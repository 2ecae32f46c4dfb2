#include "ui/frmdata.h"

#include "ui/layout.h"

#include <QCloseEvent>
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
constexpr int AcquisitionWidth = 3300; // the width shown for the acquisition frame alone

} // namespace

FrmData::FrmData(QWidget *mainWindow) : QDialog(mainWindow), main_(mainWindow)
{
    setObjectName(QStringLiteral("frmData"));
    setWindowTitle(QStringLiteral("Enter Data"));
    setFont(mainWindow ? mainWindow->font() : font());
    setModal(false);
    resize(TwipsToPixels(DesignWidth), TwipsToPixels(DesignHeight));

    auto *frame = new QGroupBox(QStringLiteral("Acqu. Parameters"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(Px(240, 240, 2535, 1455));
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; top: -1px; padding: 0 2px; }"));
    const struct {
        const char *label, *labelName, *fieldName;
        int top, labelWidth;
    } rows[] = {
        {"No. of Traces", "Label1", "Text1", 240, 1095},
        {"No. of Samples", "Label2", "Text2", 600, 1095},
        {"Total Time", "Label3", "Text3", 960, 855},
    };
    static_assert(std::size(rows) == static_cast<size_t>(DataField::Count));
    for (size_t k = 0; k < std::size(rows); ++k) {
        auto *l = new QLabel(QString::fromLatin1(rows[k].label), frame);
        l->setObjectName(QString::fromLatin1(rows[k].labelName));
        l->setGeometry(Px(240, rows[k].top, rows[k].labelWidth, 255));
        auto *e = new QLineEdit(frame);
        e->setObjectName(QString::fromLatin1(rows[k].fieldName));
        e->setGeometry(Px(1560, rows[k].top, 735, 285));
        e->setTextMargins(0, 0, 0, 0);
        fields_[k] = e;
    }

    cmdOK_ = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(Px(480, 1920, 855, 375));
    cmdOK_->setAutoDefault(false);
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(Px(1560, 1920, 855, 375));
    cmdCancel_->setAutoDefault(false);
    connect(cmdOK_, &QPushButton::clicked, this, &FrmData::okClicked);
    connect(cmdCancel_, &QPushButton::clicked, this, &FrmData::cancelClicked);
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

void FrmData::showAcquisition()
{
    for (QLineEdit *e : fields_)
        e->clear();
    resize(TwipsToPixels(AcquisitionWidth), TwipsToPixels(DesignHeight));
    const QScreen *s = main_ && main_->screen() ? main_->screen() : screen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint(0, 0);
    move(origin + QPoint(TwipsToPixels(400), TwipsToPixels(400)));
    holdMainWindow(true);
    show();
    raise();
    activateWindow();
    fields_[0]->setFocus();
}

std::string FrmData::text(DataField f) const { return field(f)->text().toStdString(); }

void FrmData::closeDialog()
{
    hide();
    holdMainWindow(false);
}

// Closed with the window's own close control: as "&Cancel", the main
// window takes input again and the loaded profile stays.
void FrmData::closeEvent(QCloseEvent *e)
{
    holdMainWindow(false);
    QDialog::closeEvent(e);
}

void FrmData::reject() { emit cancelClicked(); }

} // namespace orv
