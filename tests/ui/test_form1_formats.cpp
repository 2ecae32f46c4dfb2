// The text format's parameter dialog in the real window, offscreen.
#include "app/app.h"
#include "support/store_access.h"
#include "support/fakes.h"
#include "ui/form1.h"
#include "ui/frmdata.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

namespace orv {
namespace {

bool MainWindowTakesInput(Form1 &w) { return w.centralWidget()->isEnabled() && w.menuBar()->isEnabled(); }

TEST(Form1Formats, TextFileThroughTheRealParameterDialog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("two.dat")).toStdString();
    std::ofstream(path, std::ios::binary) << " 1  2  3 \r\n 4  5  6 \r\n";

    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    FrmData *frm = w.frmData();
    QAction *open = w.findChild<QAction *>(QStringLiteral("mnuOpenAscii"));
    open->trigger();
    ASSERT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Enter Data"));
    EXPECT_EQ(frm->findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(), QStringLiteral("Acqu. Parameters"));
    const char *captions[][2] = {{"Label1", "No. of Traces"}, {"Label2", "No. of Samples"}, {"Label3", "Total Time"}};
    for (const auto &c : captions)
        EXPECT_EQ(frm->findChild<QLabel *>(QString::fromLatin1(c[0]))->text(), QString::fromLatin1(c[1]));
    EXPECT_EQ(frm->cmdOK()->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(frm->cmdCancel()->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(frm->width(), 220); // 3300 twips
    EXPECT_FALSE(MainWindowTakesInput(w));

    // A zero: the stop message, and the dialog stays.
    frm->field(DataField::Text1)->setText(QStringLiteral("2"));
    frm->field(DataField::Text2)->setText(QStringLiteral("0"));
    frm->field(DataField::Text3)->setText(QStringLiteral("6"));
    frm->cmdOK()->click();
    EXPECT_EQ(d.criticals, 1);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(MainWindowTakesInput(w));

    // Good values: read, closed, the main window usable again.
    frm->field(DataField::Text2)->setText(QStringLiteral("3"));
    d.files.push_back(path);
    frm->cmdOK()->click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(MainWindowTakesInput(w));
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 2);
    EXPECT_EQ(test::StoreOf(w.app()).RawData(2, 3), 6);
    EXPECT_EQ(w.captionLabel(Caption::Label5)->text(), QStringLiteral("No. of Traces = 2"));

    // "&Cancel", and the window's own close control, each give the main
    // window back and keep the profile.
    open->trigger();
    EXPECT_TRUE(frm->field(DataField::Text1)->text().isEmpty());
    frm->cmdCancel()->click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(MainWindowTakesInput(w));
    open->trigger();
    frm->close();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(MainWindowTakesInput(w));
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 2);
}

// A Seismic Unix file of nt traces of ns samples.
void WriteSU(const std::string &path, int nt, int ns)
{
    std::string b;
    for (int k = 1; k <= nt; ++k) {
        std::string trace(240 + 4 * size_t(ns), '\0');
        const int16_t nsDt[2] = {int16_t(ns), 1000};
        std::memcpy(trace.data() + 114, nsDt, 4);
        b += trace;
    }
    std::ofstream(path, std::ios::binary) << b;
}

// When the Cancel button comes up, a key for the gain field and a click on
// the button are queued, as the user would give them.
class ClickWhenShown : public QObject {
public:
    ClickWhenShown(QPushButton *button, QLineEdit *field) : button_(button), field_(field) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            ++shows;
            QCoreApplication::postEvent(field_, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
            const QPointF at(button_->width() / 2.0, button_->height() / 2.0);
            const QPointF global = button_->mapToGlobal(at);
            for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(button_, new QMouseEvent(t, at, global, Qt::LeftButton,
                                                                    t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                                    Qt::NoModifier));
        }
        return false;
    }
    int shows = 0;

private:
    QPushButton *button_;
    QLineEdit *field_;
};

// A read that lasts shows the Cancel button just below its progress caption;
// while it is up, a click on it gets through and stops the read, and a key
// for a field is dropped. The loaded profile stays and nothing is said. A
// text file is read while the parameter dialog holds the rest of the window.
TEST(Form1Formats, CancelButtonStopsARead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string first = dir.filePath(QStringLiteral("first.su")).toStdString();
    const std::string second = dir.filePath(QStringLiteral("second.su")).toStdString();
    const std::string text = dir.filePath(QStringLiteral("third.dat")).toStdString();
    WriteSU(first, 30, 20);
    WriteSU(second, 50, 40);
    std::string numbers;
    for (int k = 0; k < 60 * 10; ++k)
        numbers += "1 ";
    std::ofstream(text) << numbers;

    test::FakeDialogs d;
    Form1 w(&d);
    w.show();
    QAction *openSU = w.findChild<QAction *>(QStringLiteral("mnuOpenSU"));
    QAction *openText = w.findChild<QAction *>(QStringLiteral("mnuOpenAscii"));
    d.files = {first};
    openSU->trigger();
    ASSERT_EQ(test::StoreOf(w.app()).NTraces, 30);

    const ReadPacing was = Pacing();
    Pacing() = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    QPushButton *cancel = w.cmdCancelRead();
    QLineEdit *gain = w.field(Field::txtGainValue);
    const QString gainText = gain->text();
    const QLabel *caption = w.captionLabel(Caption::lblReadTr);
    const auto readText = [&] {
        openText->trigger();
        FrmData *frm = w.frmData();
        frm->field(DataField::Text1)->setText(QStringLiteral("60"));
        frm->field(DataField::Text2)->setText(QStringLiteral("10"));
        frm->field(DataField::Text3)->setText(QStringLiteral("5"));
        frm->cmdOK()->click();
    };
    const struct { const char *name; std::string path; std::function<void()> open; } cases[] = {
        {"SU", second, [&] { openSU->trigger(); }},
        {"text", text, readText},
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

    // Left alone, the same read goes through.
    d.files = {second};
    openSU->trigger();
    Pacing() = was;
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 50);
    EXPECT_TRUE(cancel->isHidden());
}

} // namespace
} // namespace orv
