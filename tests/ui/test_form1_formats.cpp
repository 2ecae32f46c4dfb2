// The text format's parameter dialog in the real window, offscreen.
#include "app/app.h"
#include "support/fakes.h"
#include "ui/form1.h"
#include "ui/frmdata.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

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
    EXPECT_EQ(w.app().store.NTraces, 2);
    EXPECT_EQ(w.app().store.RawData(2, 3), 6);
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
    EXPECT_EQ(w.app().store.NTraces, 2);
}

} // namespace
} // namespace orv
