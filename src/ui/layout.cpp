#include "ui/layout.h"

#include <algorithm>
#include <cmath>

namespace orv {

int32_t TwipsToPixels(int32_t twips)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(twips) / TwipsPerPixel));
}

namespace {

// Real division as the form runtime does it, rounded to a whole twip.
int32_t Half(int32_t v) { return static_cast<int32_t>(std::lround(v / 2.0)); }

std::vector<DesignEntry> MakeDesignTable()
{
    std::vector<DesignEntry> t = {
        {"pctProfile", "", {840, 480, 10095, 7935}},
        {"pctTrace", "", {11880, 480, 1935, 7935}},
        {"Label10", "", {120, 120, 735, 255}},
        {"Label5", "", {1680, 120, 2175, 255}},
        {"Label6", "", {4200, 120, 2175, 255}},
        {"Label4", "", {6840, 120, 1215, 255}},
        {"Text1", "", {8160, 120, 495, 285}},
        {"Label12", "", {10920, 120, 735, 255}},
        {"Label1", "", {12360, 120, 1100, 375}},
        {"upd", "", {13440, 120, 255, 375}},
        {"Frame4", "", {840, 8520, 4335, 2055}},
        {"Label9", "Frame4", {480, 240, 615, 255}},
        {"txt1sttr", "Frame4", {240, 480, 495, 285}},
        {"txtLsttr", "Frame4", {840, 480, 495, 285}},
        {"Label11", "Frame4", {1920, 240, 735, 255}},
        {"txt1stsamp", "Frame4", {1680, 480, 495, 285}},
        {"txtLstsamp", "Frame4", {2280, 480, 495, 285}},
        {"cmdRePlot", "Frame4", {240, 840, 1095, 375}},
        {"cmdAll", "Frame4", {1680, 840, 1095, 375}},
        {"cmdNextGroup", "Frame4", {3000, 840, 1095, 375}},
        {"Frame1", "Frame4", {240, 1320, 2535, 615}},
        {"optNormNone", "Frame1", {120, 240, 735, 255}},
        {"optNormCSG", "Frame1", {960, 240, 735, 255}},
        {"optNormTrace", "Frame1", {1680, 240, 735, 255}},
        {"Label15", "Frame4", {3000, 1320, 1095, 255}},
        {"txtGroupOverlap", "Frame4", {3000, 1560, 975, 285}},
        {"Label7", "", {5400, 8760, 1215, 255}},
        {"txtGainValue", "", {6720, 8760, 495, 285}},
        {"Label13", "", {5400, 9240, 1215, 255}},
        {"txtAmpClip", "", {6720, 9240, 495, 285}},
        {"Label14", "", {5400, 9720, 1215, 255}},
        {"txtTraceCSG", "", {6720, 9720, 495, 285}},
        {"Label2", "", {7560, 9000, 1935, 615}},
        {"lblReadTr", "", {9840, 9120, 1815, 375}},
        {"Label3", "", {11880, 8520, 1935, 255}},
        {"Label8", "", {11880, 8880, 1215, 495}},
        {"txtPickRange", "", {13200, 9000, 615, 285}},
        {"frmAbout", "pctProfile", {2640, 2640, 4575, 3135}},
        {"Label16", "frmAbout", {120, 360, 4335, 255}},
        {"Label17", "frmAbout", {120, 720, 4335, 375}},
        {"Label18", "frmAbout", {120, 1080, 4335, 255}},
        {"Label19", "frmAbout", {120, 1440, 4335, 255}},
        {"Label20", "frmAbout", {120, 1800, 4335, 255}},
        {"Label21", "frmAbout", {120, 2160, 4335, 255}},
        {"cmdAbouOK", "frmAbout", {1680, 2640, 1215, 375}},
    };
    // The two label arrays beside the canvases, k = 0..4 from the top.
    static const char *const samp[5] = {"lblSamp0", "lblSamp1", "lblSamp2", "lblSamp3", "lblSamp4"};
    static const char *const time[5] = {"lblTime0", "lblTime1", "lblTime2", "lblTime3", "lblTime4"};
    for (int k = 0; k < 5; ++k) {
        t.push_back({samp[k], "", {240, 480 + 1920 * k, 495, 255}});
        t.push_back({time[k], "", {11040, 480 + 1920 * k, 735, 255}});
    }
    return t;
}

} // namespace

const std::vector<DesignEntry> &DesignTable()
{
    static const std::vector<DesignEntry> table = MakeDesignTable();
    return table;
}

Rect DesignRect(std::string_view name)
{
    for (const DesignEntry &e : DesignTable())
        if (name == e.name)
            return e.rect;
    return {};
}

std::vector<std::pair<std::string, Rect>> FormLayout::entries() const
{
    std::vector<std::pair<std::string, Rect>> v = {
        {"pctProfile", pctProfile}, {"pctTrace", pctTrace},
        {"Label1", Label1},         {"upd", upd},
        {"Label12", Label12},       {"Frame4", Frame4},
        {"Label7", Label7},         {"txtGainValue", txtGainValue},
        {"Label13", Label13},       {"txtAmpClip", txtAmpClip},
        {"Label14", Label14},       {"txtTraceCSG", txtTraceCSG},
        {"Label2", Label2},         {"lblReadTr", lblReadTr},
        {"Label3", Label3},         {"Label8", Label8},
        {"txtPickRange", txtPickRange},
    };
    for (int k = 0; k < 5; ++k) {
        v.emplace_back("lblSamp" + std::to_string(k), lblSamp[static_cast<size_t>(k)]);
        v.emplace_back("lblTime" + std::to_string(k), lblTime[static_cast<size_t>(k)]);
    }
    return v;
}

FormLayout DesignLayout()
{
    FormLayout f;
    f.pctProfile = DesignRect("pctProfile");
    f.pctTrace = DesignRect("pctTrace");
    for (size_t k = 0; k < 5; ++k) {
        f.lblSamp[k] = DesignRect("lblSamp" + std::to_string(k));
        f.lblTime[k] = DesignRect("lblTime" + std::to_string(k));
    }
    f.Label1 = DesignRect("Label1");
    f.upd = DesignRect("upd");
    f.Label12 = DesignRect("Label12");
    f.Frame4 = DesignRect("Frame4");
    f.Label7 = DesignRect("Label7");
    f.txtGainValue = DesignRect("txtGainValue");
    f.Label13 = DesignRect("Label13");
    f.txtAmpClip = DesignRect("txtAmpClip");
    f.Label14 = DesignRect("Label14");
    f.txtTraceCSG = DesignRect("txtTraceCSG");
    f.Label2 = DesignRect("Label2");
    f.lblReadTr = DesignRect("lblReadTr");
    f.Label3 = DesignRect("Label3");
    f.Label8 = DesignRect("Label8");
    f.txtPickRange = DesignRect("txtPickRange");
    return f;
}

void AdjustLayout(FormLayout &f, int32_t W, int32_t H)
{
    // Below this size the canvases would shrink under MinCanvasSize (or turn
    // negative); lay out for the smallest area that keeps them usable.
    W = std::max(W, MinInnerWidth);
    H = std::max(H, MinInnerHeight);

    // The trace canvas keeps its width at the right edge; both canvases
    // take the height the controls below them leave, and the profile canvas
    // the width the trace canvas and the two columns of axis labels leave.
    f.pctTrace.Left = W - f.pctTrace.Width - 100;
    f.pctTrace.Height = std::max(H - 2835, MinCanvasSize);
    f.pctProfile.Height = f.pctTrace.Height;
    f.pctProfile.Width = std::max(W - f.pctTrace.Width - 2 * f.lblTime[0].Width - 500, MinCanvasSize);
    // The "Draw" frame just below the canvases; the gain, clip and
    // traces-per-gather captions in rows below its top, each field beside
    // its caption.
    f.Frame4.Top = f.pctProfile.Top + f.pctProfile.Height + 100;
    f.Label7.Top = f.Frame4.Top + 240;
    f.Label13.Top = f.Label7.Top + 480;
    f.Label14.Top = f.Label7.Top + 960;
    // Under the trace canvas: "Picked Time = " level with the frame, the
    // pick range caption below it and its field to the right of it.
    f.Label3.Top = f.Frame4.Top;
    f.Label3.Left = f.pctTrace.Left;
    f.Label8.Top = f.Label3.Top + 400;
    f.Label8.Left = f.Label3.Left;
    // The reading progress halfway down the frame.
    f.lblReadTr.Top = f.Frame4.Top + Half(f.Frame4.Height);
    f.txtPickRange.Top = f.Label8.Top;
    f.txtPickRange.Left = f.Label8.Left + 1000;
    f.txtGainValue.Top = f.Label7.Top;
    f.txtAmpClip.Top = f.Label13.Top;
    f.txtTraceCSG.Top = f.Label14.Top;
    // Above the trace canvas: "Trace # n" and the stepper move with it, as
    // does the "Time" heading left of it; the mouse-button hint sits level
    // with the gain row.
    f.Label1.Left = f.pctTrace.Left + 290;
    f.upd.Left = f.pctTrace.Left + 1390;
    f.Label12.Left = f.pctTrace.Left - 840;
    f.Label2.Top = f.Label7.Top;
    // The time labels left of the trace canvas and the sample labels where
    // the design puts them, from 480 twips down at quarters of the canvas
    // height; the last pair raised by 255 so it stays beside the canvas end.
    const double q = f.pctTrace.Height / 4.0;
    for (size_t k = 0; k < 5; ++k) {
        const int32_t top = 480 + static_cast<int32_t>(std::lround(static_cast<double>(k) * q));
        f.lblTime[k].Left = f.pctTrace.Left - 840;
        f.lblTime[k].Top = top;
        f.lblSamp[k].Top = top;
    }
    f.lblTime[4].Top -= 255;
    f.lblSamp[4].Top -= 255;
}

WindowFit FitToWorkArea(int32_t workWidthPx, int32_t workHeightPx, int32_t frameWidthPx,
                        int32_t frameHeightPx, int32_t menuBarHeightPx)
{
    WindowFit fit;
    // Inner area of a maximised window: the work area less the frame and the
    // menu bar, never below one pixel.
    const int32_t innerW = std::max(workWidthPx - frameWidthPx, 1);
    const int32_t innerH = std::max(workHeightPx - frameHeightPx - menuBarHeightPx, 1);
    fit.W0 = PixelsToTwips(innerW);
    fit.H0 = PixelsToTwips(innerH);
    // That inner size becomes the window's outer size.
    fit.outerWidthPx = innerW;
    fit.outerHeightPx = innerH;
    return fit;
}

std::pair<int32_t, int32_t> CentreIn(int32_t outerW, int32_t outerH, int32_t innerW, int32_t innerH)
{
    const auto c = [](int32_t o, int32_t i) {
        return static_cast<int32_t>(std::lround(o / 2.0 - i / 2.0));
    };
    return {c(outerW, innerW), c(outerH, innerH)};
}

} // namespace orv
