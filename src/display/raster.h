#pragma once
// Pixel-level drawing on a plain 32-bit image buffer (0xAARRGGBB pixels):
// points, lines and horizontal spans in copy-pen (13) or not-XOR pen (10).
// The Qt canvas draws through these, so the not-XOR erase is exact: every
// line touches each of its pixels exactly once and always the same pixels,
// so drawing any set of lines a second time in mode 10 restores the buffer
// bit for bit. Lines are clipped to the buffer before they are walked, so a
// line with huge end points costs no more than its visible part.

#include <cstddef>
#include <cstdint>

namespace orv::raster {

struct Target {
    uint32_t *bits = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0; // pixels from one row to the next
};

// Coordinates in twips are clamped to this magnitude before they are mapped.
constexpr double MaxTwips = 1e7;

// 0x00BBGGRR (the canvas colour form) to an opaque 0xAARRGGBB pixel.
constexpr uint32_t bgrToArgb(uint32_t bgr)
{
    return 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu);
}

// One pixel under the pen: copy pen writes the pen colour, not-XOR pen
// writes NOT(pen XOR destination) on the colour bits; alpha stays opaque.
inline void applyPen(uint32_t &dest, uint32_t pen, int mode)
{
    if (mode == 10)
        dest = 0xff000000u | (~(pen ^ dest) & 0x00ffffffu);
    else
        dest = 0xff000000u | (pen & 0x00ffffffu);
}

// Device coordinates are kept well inside the range where the line walk's
// products fit in 64 bits.
constexpr int32_t MaxDevice = 1 << 28;

// Twips to a device pixel: floor(v / 15 * dpr + 0.5) with v clamped to
// +/-MaxTwips. False for NaN (nothing is drawn then). Inline: every
// primitive maps four coordinates.
inline bool toDevice(double twips, double dpr, int32_t &out)
{
    if (twips != twips)
        return false; // NaN: not drawn
    const double v = twips < -MaxTwips ? -MaxTwips : (twips > MaxTwips ? MaxTwips : twips);
    double d = v / 15.0 * dpr + 0.5;
    if (!(d >= -MaxDevice && d <= MaxDevice)) {
        if (d != d)
            return false; // a NaN ratio
        d = d < 0 ? -MaxDevice : MaxDevice;
    }
    int64_t i = static_cast<int64_t>(d); // floor without a library call
    if (static_cast<double>(i) > d)
        --i;
    out = static_cast<int32_t>(i);
    return true;
}

void fill(const Target &t, uint32_t argb);
void point(const Target &t, int32_t x, int32_t y, uint32_t argb, int mode);
// End points inclusive; the same pixels whichever end comes first.
void line(const Target &t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, int mode);

// The same in twips, mapped with toDevice.
void pointTwips(const Target &t, double dpr, float x, float y, uint32_t argb, int mode);
void lineTwips(const Target &t, double dpr, float x1, float y1, float x2, float y2, uint32_t argb,
               int mode);

} // namespace orv::raster
