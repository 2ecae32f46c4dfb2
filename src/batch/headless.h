#pragma once
// The session's seams without a window: fields and options in plain members
// with a fresh window's values, canvases that draw nothing. The batch
// program runs the session on these, so every file it writes is what the
// window would write.

#include "core/canvas.h"
#include "core/controls.h"

#include <array>
#include <string>

namespace orv::batch {

class HeadlessControls : public Controls {
public:
    HeadlessControls();
    std::string text(Field f) const override { return texts_[static_cast<size_t>(f)]; }
    void setText(Field f, const std::string &s) override { texts_[static_cast<size_t>(f)] = s; }
    std::string caption(Caption c) const override { return captions_[static_cast<size_t>(c)]; }
    void setCaption(Caption c, const std::string &s) override { captions_[static_cast<size_t>(c)] = s; }
    bool captionVisible(Caption c) const override { return visible_[static_cast<size_t>(c)]; }
    void setCaptionVisible(Caption c, bool v) override { visible_[static_cast<size_t>(c)] = v; }
    bool option(Option o) const override { return option_ == o; }
    void select(Option o) { option_ = o; }
    bool checked(MenuCheck m) const override { return checks_[static_cast<size_t>(m)]; }
    void setChecked(MenuCheck m, bool on) override { checks_[static_cast<size_t>(m)] = on; }
    std::string title() const override { return title_; }
    void setTitle(const std::string &s) override { title_ = s; }
    int pointer() const override { return pointer_; }
    void setPointer(int shape) override { pointer_ = shape; }
    void showAbout(bool) override {}
    void adjustform() override {}
    void yieldToUi() override {}
    void setCancelVisible(bool) override {}
    bool yieldForCancel() override { return false; }
    void quit() override {}

private:
    std::array<std::string, static_cast<size_t>(Field::Count)> texts_;
    std::array<std::string, static_cast<size_t>(Caption::Count)> captions_;
    std::array<bool, static_cast<size_t>(Caption::Count)> visible_{};
    std::array<bool, static_cast<size_t>(MenuCheck::Count)> checks_{};
    Option option_ = Option::optNormNone;
    std::string title_;
    int pointer_ = PointerDefault;
};

// A canvas of the window's size at its usual layout that keeps nothing.
class NullCanvas : public Canvas {
public:
    NullCanvas(float widthTwips, float heightTwips) : w_(widthTwips), h_(heightTwips) {}
    bool keepsDrawing() const override { return false; }
    float ScaleWidth() const override { return w_; }
    float ScaleHeight() const override { return h_; }
    void setDrawMode(int mode) override { mode_ = mode; }
    int drawMode() const override { return mode_; }
    void clear() override {}
    void pset(float, float) override {}
    void line(float, float, float, float) override {}
    void line(float, float, float, float, uint32_t) override {}
    void draw(const CanvasPrim *, size_t) override {}

private:
    float w_, h_;
    int mode_ = DrawCopyPen;
};

} // namespace orv::batch
