#pragma once
// The command flow over fake controls, dialogs and recording canvases.

#include "app/app.h"
#include "app/profile_formats.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"
#include "support/store_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace orv::test {

// SU traces in the host's byte order; sample j of trace k holds k * 1000 + j.
inline std::string SUBytes(const std::vector<int> &counts, int dt = 1000)
{
    std::string b;
    for (size_t k = 1; k <= counts.size(); ++k) {
        const int ns = counts[k - 1];
        std::string trace(240 + 4 * size_t(ns), '\0');
        const int16_t nsDt[2] = {int16_t(ns), int16_t(dt)};
        std::memcpy(trace.data() + 114, nsDt, 4);
        for (int j = 1; j <= ns; ++j) {
            const float v = float(int(k) * 1000 + j);
            std::memcpy(trace.data() + 240 + 4 * size_t(j - 1), &v, 4);
        }
        b += trace;
    }
    return b;
}
inline std::string SUBytes(int nt, int ns, int dt = 1000) { return SUBytes(std::vector<int>(size_t(nt), ns), dt); }

inline std::string RadHeader(int nt, int ns)
{
    std::string rad = "SAMPLES:" + std::to_string(ns) + "\r\n";
    for (int k = 2; k <= 18; ++k)
        rad += "X:\r\n";
    return rad + "TIMEWINDOW:10\r\nX:\r\nX:\r\nX:\r\nLAST TRACE:" + std::to_string(nt) + "\r\n";
}
inline std::string HdHeader(int nt, int ns)
{
    return "NUMBER OF TRACES   = " + std::to_string(nt) + "\r\nNUMBER OF PTS/TRC  = " + std::to_string(ns)
        + "\r\nTOTAL TIME WINDOW  = 10\r\nSTEP SIZE USED     = 1\r\n";
}
inline std::string Ones(int n) { std::string s; while (n-- > 0) s += "1 "; return s; }

struct EagerPacing {
    ReadPacing was = Pacing();
    EagerPacing() { Pacing() = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)}; }
    ~EagerPacing() { Pacing() = was; }
};

// A window's command flow; canvases of 4170 x 1000 and 1935 x 1000 twips.
struct FakeWindow {
    FakeControls c;
    FakeDialogs d;
    FakeDataDialog frm;
    RecordingCanvas profile{4170, 1000}, trace{1935, 1000};
    App app{c, d, profile, trace, &frm};
    ProfileStore &s = StoreOf(app);
    // Opens path through a menu, or (menu null) as text through the parameter dialog.
    void open(void (App::*menu)(), const std::string &path, const std::string &nt = "", const std::string &ns = "",
              const std::string &tt = "10")
    {
        d.messages.clear();
        d.files = {path};
        if (menu)
            return (app.*menu)();
        app.mnuOpenAscii_Click();
        frm.fields = {{DataField::Text1, nt}, {DataField::Text2, ns}, {DataField::Text3, tt}};
        app.frmData_cmdOK_Click();
    }
    void range(const char *f1, const char *fl, const char *s1, const char *sl)
    {
        c.texts[Field::txt1sttr] = f1, c.texts[Field::txtLsttr] = fl;
        c.texts[Field::txt1stsamp] = s1, c.texts[Field::txtLstsamp] = sl;
    }
    void show(const Array2D &a, float totalTime)
    {
        s.RawData = s.PlotData = a;
        s.NTraces = float(a.traceBound()), s.NSamples = float(a.sampleBound()), s.TotalTime = totalTime;
        s.Picks.assign(size_t(a.traceBound()) + 1, 0.0f);
        range("1", std::to_string(a.traceBound()).c_str(), "1", std::to_string(a.sampleBound()).c_str());
        app.cmdRePlot_Click();
    }
    // Everything a refused or cancelled command must leave as it was.
    auto state() const
    {
        return std::tuple(s.NTraces, s.NSamples, s.TotalTime, s.RawData, s.PlotData, s.Picks, s.DataFileName, c.texts,
                          c.caption(Caption::Label5), c.caption(Caption::Label6), c.windowTitle, c.pointer(),
                          c.captionVisible(Caption::lblReadTr), app.upd.Value(), app.upd.Max(), s.Headers.kind,
                          s.Headers.littleEndian, s.Headers.file, s.Headers.traces);
    }
};

struct AppFixture : ::testing::Test, FakeWindow {
    std::filesystem::path dir = std::filesystem::temp_directory_path()
        / ("orvane_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "_"
           + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override
    {
        std::filesystem::create_directories(dir);
        app.Form_Load();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string &name, const std::string &bytes) const
    {
        const auto p = (dir / name).string();
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
};

} // namespace orv::test
