#pragma once
// A picture area the plots draw on. Coordinates are in twips (1/1440 inch,
// 15 twips to a device-independent pixel), origin at the top left, y down.

#include <cstdint>

namespace orv {

enum DrawMode : int {
    DrawNotXorPen = 10, // destination = NOT(pen XOR destination)
    DrawCopyPen = 13,
};

// 0x00BBGGRR colour values.
constexpr uint32_t ColorRed = 255;
constexpr uint32_t ColorGreen = 65280;
constexpr uint32_t ColorBlue = 16711680;

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual void setDrawMode(int mode) = 0;
    virtual int drawMode() const = 0;
    virtual void clear() = 0;                       // fill with the background colour
    virtual void pset(float x, float y) = 0;        // one point, foreground colour
    virtual void line(float x1, float y1, float x2, float y2) = 0; // foreground colour
    virtual void line(float x1, float y1, float x2, float y2, uint32_t bgr) = 0;
};

} // namespace orv
