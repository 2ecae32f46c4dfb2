// The text format's parameter dialog and the Cancel button of a read, in the real window.
#include "support/app_fixture.h"
#include "support/form1_fixture.h"

#include <QKeyEvent>

#include <functional>

namespace orv {
namespace {

using test::Held;
using test::TakesInput;

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
    test::Trigger(w, "mnuOpenAscii");
    ASSERT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Enter Data"));
    EXPECT_EQ(test::Find<QGroupBox>(*frm, "Frame1")->title(), QStringLiteral("Acqu. Parameters"));
    for (const auto &[label, text] : {std::pair("Label1", "No. of Traces"), {"Label2", "No. of Samples"}, {"Label3", "Total Time"}})
        EXPECT_EQ(test::Find<QLabel>(*frm, label)->text(), QString::fromLatin1(text));
    EXPECT_EQ(frm->cmdOK()->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(frm->cmdCancel()->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(frm->width(), 220); // 3300 twips
    EXPECT_TRUE(Held(w));
    test::Fill(*frm, {{DataField::Text1, "2"}, {DataField::Text2, "0"}, {DataField::Text3, "6"}});
    frm->cmdOK()->click();
    EXPECT_EQ(d.criticals, 1);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(Held(w));
    test::Fill(*frm, {{DataField::Text2, "3"}});
    d.files.push_back(path);
    frm->cmdOK()->click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(TakesInput(w));
    EXPECT_EQ(test::StoreOf(w.app()).NTraces, 2);
    EXPECT_EQ(test::StoreOf(w.app()).RawData(2, 3), 6);
    EXPECT_EQ(w.captionLabel(Caption::Label5)->text(), QStringLiteral("No. of Traces = 2"));
    for (const bool button : {true, false}) {
        test::Trigger(w, "mnuOpenAscii");
        EXPECT_TRUE(frm->field(DataField::Text1)->text().isEmpty());
        button ? frm->cmdCancel()->click() : void(frm->close());
        EXPECT_FALSE(frm->isVisible());
        EXPECT_TRUE(TakesInput(w));
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

private:
    QPushButton *button_;
    QLineEdit *field_;
};

TEST(Form1Formats, CancelButtonStopsARead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const char *name, const std::string &bytes) {
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    const std::string first = write("first.su", test::SUBytes(30, 20));
    const std::string second = write("second.su", test::SUBytes(50, 40));
    const std::string text = write("third.dat", test::Ones(60 * 10));
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

} // namespace
} // namespace orv
