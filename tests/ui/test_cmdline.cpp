// The command line, a file named at start, and that opening it at start gives what the menu gives.
#include "app/cmdline.h"
#include "batch/options.h"
#include "support/form1_fixture.h"

#include <QMessageBox>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>

namespace orv {
namespace {

namespace fs = std::filesystem;
using Action = CommandLine::Action;

TEST(CommandLine, ArgumentLists)
{
    const struct { std::vector<std::string> args; Action action; std::string file, error; } cases[] = {
        {{}, Action::Run, "", ""}, {{"line.su"}, Action::Run, "line.su", ""}, {{"--help"}, Action::Help, "", ""},
        {{"--version"}, Action::Version, "", ""}, {{"--version", "--help"}, Action::Help, "", ""},
        {{"a.su", "b.su", "--help"}, Action::Help, "", ""}, {{"--verbose"}, Action::Fail, "", "'--verbose'"},
        {{"--help", "-x"}, Action::Fail, "", "'-x'"}, {{"a.su", "b.su"}, Action::Fail, "", "2 given"},
        {{""}, Action::Fail, "", "empty"}, {{"--", "-line.su"}, Action::Run, "-line.su", ""},
        {{"--", "a.su", "--"}, Action::Fail, "", "2 given"},
    };
    for (const auto &c : cases) {
        const std::string shown = testing::PrintToString(c.args);
        const CommandLine cl = ParseCommandLine(c.args);
        EXPECT_EQ(cl.action, c.action) << shown;
        EXPECT_EQ(cl.file, c.file) << shown;
        EXPECT_NE(cl.error.find(c.error), std::string::npos) << shown << ": " << cl.error;
    }
}

TEST(CommandLine, FileNamedAtStart)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const fs::path dir = tmp.path().toStdString();
    std::ofstream(dir / "pair.DT1").put('x');
    std::ofstream(dir / "m.rd7").put('x');
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    const struct { std::string given; NamedFormat format; std::string data, message; } cases[] = {
        {"line.su", NamedFormat::SU, "line.su", ""},
        {"./sub/LINE.RD3", NamedFormat::RD3, "sub/LINE.RD3", ""},
        {(dir / "line.rad").string(), NamedFormat::RD3, "line.rd3", ""},
        {"pair.HD", NamedFormat::DT1, "pair.DT1", ""},
        {"m.RAD", NamedFormat::RD7, "m.rd7", ""}, // the header of the data file beside it
        {"LINE.DZT", NamedFormat::DZT, "LINE.DZT", ""},
        {"x.y/L3.HD", NamedFormat::DT1, "x.y/L3.dt1", ""},
        {"x.y/notes", NamedFormat::None, "", KnownExtensionsText},
        {"notes.txt", NamedFormat::None, "", (dir / "notes.txt").string() + " is not opened"},
        {"noextension", NamedFormat::None, "", KnownExtensionsText},
    };
    for (const auto &c : cases) {
        const StartupOpen s = StartupOpenOf(c.given);
        EXPECT_EQ(s.format, c.format) << c.given;
        if (c.format != NamedFormat::None) {
            EXPECT_EQ(s.dataFile, (dir / c.data).string()) << c.given;
            EXPECT_EQ(s.message, "") << c.given;
        } else {
            EXPECT_NE(s.message.find(c.message), std::string::npos) << c.given << ": " << s.message;
        }
    }
    fs::current_path(cwd);
}

// Runs act, closing every modal window that comes up and returning what each said.
std::vector<std::string> ModalsDuring(const std::function<void()> &act)
{
    std::vector<std::string> shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *m = QApplication::activeModalWidget()) {
            auto *box = qobject_cast<QMessageBox *>(m);
            shown.push_back(box ? box->text().toStdString() : std::string(m->metaObject()->className()));
            m->close();
        }
    });
    closer.start(10);
    act();
    return shown;
}

TEST(CommandLine, OpenAtStartGivesWhatTheMenuGives)
{
    const fs::path examples = ORVANE_EXAMPLES_DIR;
    const fs::path real = ORVANE_REALDATA_DIR;
    const struct { fs::path given, data; const char *menu; } cases[] = {
        {examples / "radar_line.su", examples / "radar_line.su", "mnuOpenSU"},
        {real / "rd3/impdar/ten_col.rad", real / "rd3/impdar/ten_col.rd3", "mnuOpenRD3"},
        {real / "dt1/rgpr_cornino/cmp.HD", real / "dt1/rgpr_cornino/cmp.DT1", "mnuOpenDT1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.given.string());
        if (!fs::exists(c.data)) {
            std::cout << "no file " << c.data << ", case skipped\n";
            continue;
        }
        test::FakeDialogs d;
        d.files.push_back(c.data.string());
        Form1 byMenu(&d);
        byMenu.show();
        test::Trigger(byMenu, c.menu);
        ASSERT_TRUE(test::StoreOf(byMenu.app()).hasProfile());
        Form1 atStart;
        atStart.show();
        const auto shown = ModalsDuring([&] { atStart.openAtStart(c.given.string()); });
        std::vector<std::string> notices;
        for (const auto &m : d.messages)
            notices.push_back(m.second);
        EXPECT_EQ(shown, notices);
        EXPECT_EQ(atStart.windowTitle(), byMenu.windowTitle());
        for (Caption k : {Caption::Label5, Caption::Label6})
            EXPECT_EQ(atStart.captionLabel(k)->text(), byMenu.captionLabel(k)->text());
        EXPECT_TRUE(atStart.layoutDone());
        EXPECT_EQ(atStart.size(), byMenu.size());
        EXPECT_TRUE(test::TakesInput(atStart));
        const auto next = ModalsDuring([&] { test::Trigger(atStart, c.menu); });
        EXPECT_EQ(next, std::vector<std::string>{"QFileDialog"});
    }
}

TEST(CommandLine, FileRefusedAtStartLeavesAnEmptyUsableWindow)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string dir = tmp.path().toStdString();
    std::ofstream(dir + "/short.su") << "not a trace";
    const struct { std::string given, message; } cases[] = {
        {dir + "/notes.txt", "The file " + dir + "/notes.txt is not opened"},
        {dir + "/missing.su", "The file " + dir + "/missing.su "},
        {dir + "/short.su", "The file " + dir + "/short.su "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.given);
        Form1 w;
        w.show();
        const auto shown = ModalsDuring([&] { w.openAtStart(c.given); });
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].find(c.message), std::string::npos) << shown[0];
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
        EXPECT_FALSE(test::StoreOf(w.app()).hasProfile());
        EXPECT_TRUE(test::TakesInput(w));
        const auto after = ModalsDuring([&] { w.openAtStart(test::ExampleLine); });
        EXPECT_TRUE(after.empty());
        EXPECT_EQ(test::StoreOf(w.app()).NTraces, 300);
    }
}

// The MIME list, the desktop entry and the README's table say what the format table says.
TEST(Formats, PackagingAndReadmeFollowTheFormatTable)
{
    const auto slurp = [](const char *name) {
        std::ifstream in(std::string(ORVANE_EXAMPLES_DIR) + "/../" + name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string mime = slurp("packaging/orvane-mime.xml"), readme = slurp("README.md");
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(readme.substr(readme.find("## Profile formats")));
    for (std::string line; std::getline(lines, line) && (rows.empty() || line.rfind('|', 0) == 0);) {
        if (line.rfind("| ", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::istringstream cut(line);
        for (std::string cell; std::getline(cut, cell, '|');)
            cells.push_back(cell);
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), Formats().size() + 1); // the heading row first
    size_t globs = 0;
    for (size_t at = 0; (at = mime.find("<glob pattern=", at)) != std::string::npos; ++at)
        ++globs;
    size_t named = 0, globs_alias = 0;
    std::string claimed;
    for (const ProfileFormat &f : Formats()) {
        const std::vector<std::string> &cells = rows[static_cast<size_t>(f.id) + 1];
        ASSERT_EQ(cells.size(), 5u) << f.name;
        EXPECT_NE(cells[2].find(std::string(f.caption) + " "), std::string::npos) << f.name;
        EXPECT_NE(cells[3].find(f.write ? std::string(f.caption) + " " : "(read only)"), std::string::npos) << f.name;
        if (!f.named)
            continue;
        ++named;
        claimed += std::string(f.mime) + ";";
        const size_t at = mime.find("<mime-type type=\"" + std::string(f.mime) + "\">");
        ASSERT_NE(at, std::string::npos) << f.mime;
        const std::string type = mime.substr(at, mime.find("</mime-type>", at) - at);
        std::string upper = f.extension;
        for (char &ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        for (const std::string &ext : {std::string(f.extension), upper})
            EXPECT_NE(type.find("<glob pattern=\"*." + ext + "\"/>"), std::string::npos) << ext;
        EXPECT_NE(cells[4].find("`." + std::string(f.extension) + "`"), std::string::npos) << f.name;
        EXPECT_NE(batch::UsageText().find("(." + std::string(f.extension)), std::string::npos) << f.name;
        EXPECT_TRUE(!f.header || cells[4].find("`." + std::string(f.header) + "`") != std::string::npos) << f.name;
        if (f.alias) {
            ++globs_alias;
            EXPECT_NE(type.find("<glob pattern=\"*." + std::string(f.alias) + "\"/>"), std::string::npos) << f.alias;
            EXPECT_NE(cells[4].find("`." + std::string(f.alias) + "`"), std::string::npos) << f.name;
        }
    }
    EXPECT_EQ(globs, 2 * named + globs_alias);
    EXPECT_NE(slurp("packaging/orvane.desktop").find("\nMimeType=" + claimed + "\n"), std::string::npos);
}

} // namespace
} // namespace orv
