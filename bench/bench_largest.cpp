// The largest profile the program accepts, end to end: writes a Seismic
// Unix file of 32767 traces x 32767 samples (4.3 GB) in a scratch folder,
// then drives the command flow as the window does: a cancelled open, Open
// Profile > SU File, All Profile, a stopped Automatic, Automatic (key 1..50,
// target 1..500), Adjust Air Wave > Current Picking, Save Profile > SU File
// and a refused save. For each step it prints the time, how the step showed
// its progress (the longest stretch with no repaint), whether a cancel or a
// refusal left the profile as it was, and the process's peak memory in
// sample arrays. A progress caption comes up once a step has lasted half a
// second, so a step is flagged when the window went more than a second
// without a repaint.
//
// Not part of the test command: it needs about 9 GB of disk in the scratch
// folder and about 10 GB of memory, and runs for several minutes.
//   bench_largest [scratch-folder] [traces samples]
#include "app/app.h"
#include "core/numbers.h"
#include "support/fakes.h"
#include "support/store_access.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Peak resident memory of the process so far, in bytes.
double PeakBytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) * 1024.0;
}

// The window's fields and captions, with the time of every repaint the
// command flow asks for, so a step's longest silence can be measured.
class TimedControls : public orv::test::FakeControls {
public:
    void yieldToUi() override
    {
        repaints.push_back(Clock::now());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        FakeControls::yieldToUi();
    }
    std::vector<Clock::time_point> repaints;
};

// The parameter dialog, which lets the windows repaint whenever a picking
// run asks it whether to stop.
class TimedDataDialog : public orv::test::FakeDataDialog {
public:
    explicit TimedDataDialog(TimedControls &c) : c_(c) {}
    bool stopRequested() override
    {
        c_.yieldToUi();
        return FakeDataDialog::stopRequested();
    }

private:
    TimedControls &c_;
};

// Writes a profile with an air wave that arrives a little later on every
// trace and some noise after it, big-endian as most SU files are.
bool WriteInput(const std::string &path, int nt, int ns)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<unsigned char> trace(240 + size_t(ns) * 4);
    uint32_t seed = 12345;
    bool ok = true;
    for (int t = 1; t <= nt && ok; ++t) {
        std::memset(trace.data(), 0, 240);
        trace[114] = uint8_t(ns >> 8); // ns
        trace[115] = uint8_t(ns);
        trace[116] = 0; // dt = 100 us
        trace[117] = 100;
        const double arrival = 20 + (t % 200) * 0.05;
        for (int s = 0; s < ns; ++s) {
            seed = seed * 1664525u + 1013904223u;
            const double x = s - arrival;
            double v = x * x < 400 ? std::exp(-x * x / 8.0) * std::cos(x * 0.8) * 1000.0 : 0.0;
            if (s > arrival + 10)
                v += double(int(seed >> 16) - 32768) / 655.36;
            const float fv = float(v);
            uint32_t bits;
            std::memcpy(&bits, &fv, 4);
            unsigned char *p = trace.data() + 240 + size_t(s) * 4;
            p[0] = uint8_t(bits >> 24);
            p[1] = uint8_t(bits >> 16);
            p[2] = uint8_t(bits >> 8);
            p[3] = uint8_t(bits);
        }
        ok = std::fwrite(trace.data(), 1, trace.size(), f) == trace.size();
    }
    return std::fclose(f) == 0 && ok;
}

// A fingerprint of everything a cancelled or refused step must leave alone.
uint64_t Fingerprint(const orv::ProfileStore &s)
{
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void *p, size_t n) {
        const unsigned char *b = static_cast<const unsigned char *>(p);
        for (size_t i = 0; i < n; ++i)
            h = (h ^ b[i]) * 1099511628211ull;
    };
    auto mixArray = [&](const orv::Array2D &a) {
        if (!a.allocated())
            return;
        uint64_t sum = 0;
        for (int t = 0; t <= a.traceBound(); ++t) {
            const uint32_t *r = reinterpret_cast<const uint32_t *>(a.row(t));
            for (int k = 0; k <= a.sampleBound(); ++k)
                sum = sum * 31 + r[k];
        }
        mix(&sum, sizeof sum);
    };
    mixArray(s.RawData);
    mixArray(s.PlotData);
    mix(&s.NTraces, sizeof s.NTraces);
    mix(&s.NSamples, sizeof s.NSamples);
    if (!s.Picks.empty())
        mix(s.Picks.data(), s.Picks.size() * sizeof(float));
    return h;
}

struct Step {
    const char *name;
    double seconds;
    double longestSilence; // the longest time with no repaint, from the step's start to its end
    size_t repaints;
    std::string verdict;
};

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "orvane-largest";
    const int nt = argc > 3 ? std::atoi(argv[2]) : 32767;
    const int ns = argc > 3 ? std::atoi(argv[3]) : 32767;
    fs::create_directories(dir);
    const std::string input = (dir / "largest.su").string();
    const std::string output = (dir / "largest-aligned.su").string();
    const double array = double(nt + 1) * double(ns + 1) * sizeof(float);

    // The window's two canvases at a full-HD layout, drawn for real.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QWidget window;
    window.resize(1920, 1080);
    auto *profile = new orv::QtCanvas(&window);
    auto *trace = new orv::QtCanvas(&window);
    profile->setGeometry(150, 60, 1527, 852);
    trace->setGeometry(1697, 60, 131, 852);
    window.show();
    QCoreApplication::processEvents();

    TimedControls controls;
    orv::test::FakeDialogs dialogs;
    TimedDataDialog frmData(controls);
    orv::App app(controls, dialogs, *profile, *trace, &frmData);
    app.Form_Load();
    orv::ProfileStore &store = orv::test::StoreOf(app);

    std::vector<Step> steps;
    // Runs one step; `check`, untimed, says what it came to.
    auto run = [&](const char *name, const std::function<void()> &body, const std::function<std::string()> &check) {
        controls.repaints.clear();
        const size_t messages = dialogs.messages.size();
        const auto start = Clock::now();
        body();
        const auto end = Clock::now();
        std::string verdict = check();
        double silence = 0;
        Clock::time_point last = start;
        for (const auto &r : controls.repaints) {
            silence = std::max(silence, Seconds(last, r));
            last = r;
        }
        silence = std::max(silence, Seconds(last, end));
        if (dialogs.messages.size() > messages)
            verdict += (verdict.empty() ? "" : "; ") + std::string("said \"") + dialogs.messages.back().second + "\"";
        steps.push_back({name, Seconds(start, end), silence, controls.repaints.size(), verdict});
        std::printf("%-34s %8.2f s  longest silence %6.2f s  %6zu repaints  peak %5.2f arrays  %s\n", name,
                    steps.back().seconds, silence, controls.repaints.size(), PeakBytes() / array, verdict.c_str());
        std::fflush(stdout);
    };

    std::printf("profile %d x %d, one sample array %.2f GB, scratch %s\n", nt, ns, array / 1e9, dir.c_str());
    bool written = false;
    run("write the input file", [&] { written = WriteInput(input, nt, ns); },
        [&] { return written ? std::to_string(fs::file_size(input)) + " bytes" : std::string("FAILED"); });

    run("Open Profile, cancelled", [&] {
        controls.cancelAtYield = 3;
        dialogs.files = {input};
        app.mnuOpenSU_Click();
        controls.cancelAtYield = 0;
    }, [&] { return store.hasProfile() ? std::string("LOADED ANYWAY") : std::string("left empty"); });
    run("Open Profile > SU File", [&] {
        dialogs.files = {input};
        app.mnuOpenSU_Click();
    }, [&] { return store.NTraces == nt && store.NSamples == ns ? std::string("open") : std::string("NOT OPEN"); });
    run("All Profile", [&] { app.cmdAll_Click(); }, [] { return std::string(); });

    auto setWindow = [&] {
        app.mnuAutomatic_Click();
        frmData.fields[orv::DataField::txtKey1st] = "1";
        frmData.fields[orv::DataField::txtKeyLast] = "50";
        frmData.fields[orv::DataField::txtTarg1st] = "1";
        frmData.fields[orv::DataField::txtTargLast] = "500";
    };
    uint64_t before = Fingerprint(store);
    run("Automatic, stopped", [&] {
        setWindow();
        frmData.polls = 0;
        frmData.stopAtPoll = 1;
        app.frmData_cmdOK2_Click();
        frmData.stopAtPoll = 0;
    }, [&] { return Fingerprint(store) == before ? std::string("profile unchanged") : std::string("PROFILE CHANGED"); });
    run("Automatic, Ok (pick, align, re-plot)", [&] {
        setWindow();
        app.frmData_cmdOK2_Click();
    }, [&] {
        size_t picked = 0;
        for (size_t t = 1; t < store.Picks.size(); ++t)
            picked += store.Picks[t] != 0;
        return std::to_string(picked) + " traces picked";
    });
    run("Adjust Air Wave > Current Picking", [&] {
        dialogs.answers = {true}; // "Continue anyway?" for the key trace, never picked
        app.mnuCurrentPick_Click();
    }, [] { return std::string(); });
    run("Save Profile > SU File", [&] {
        dialogs.files = {output};
        app.mnuSaveSU_Click();
    }, [&] {
        std::error_code ec;
        const auto size = fs::file_size(output, ec);
        return ec ? std::string("NOT WRITTEN") : std::to_string(size) + " bytes";
    });
    before = Fingerprint(store);
    run("Save Profile, refused", [&] {
        dialogs.files = {(dir / "no-such-folder" / "x.su").string()};
        app.mnuSaveSU_Click();
    }, [&] { return Fingerprint(store) == before ? std::string("profile unchanged") : std::string("PROFILE CHANGED"); });

    std::printf("\npeak memory %.2f GB = %.2f sample arrays (goal: at most 2.2 plus the headers)\n", PeakBytes() / 1e9,
                PeakBytes() / array);
    bool ok = true;
    for (const Step &s : steps)
        if (s.longestSilence > 1.0 && std::strcmp(s.name, "write the input file") != 0) {
            std::printf("no progress for %.2f s in: %s\n", s.longestSilence, s.name);
            ok = false;
        }
    std::error_code ec;
    fs::remove(input, ec);
    fs::remove(output, ec);
    return ok ? 0 : 1;
}
