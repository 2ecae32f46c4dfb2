#pragma once
// The main window's seams without a window: fields and options in plain
// members with a fresh window's values, file dialogs that answer the names
// given to them, message boxes that keep their last text, canvases that
// draw nothing. The batch program drives the command flow through these,
// so every file it writes is what the window would write.

#include "core/canvas.h"
#include "core/controls.h"
#include "core/datadialog.h"
#include "core/dialogs.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

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

class HeadlessDialogs : public Dialogs {
public:
    // The next file dialog answers `path`.
    void answer(const std::string &path) { files_.push_back(path); }
    std::string openFile(const std::string &) override { return next(); }
    std::string saveFile(const std::string &) override { return next(); }
    void message(const std::string &, const std::string &text) override { last_ = text; }
    void critical(const std::string &, const std::string &text) override { last_ = text; }
    // Every question is answered No: nothing is discarded or taken anyway.
    bool question(const std::string &, const std::string &text) override
    {
        last_ = text;
        return false;
    }
    void fileUsed(const std::string &path) override { used_.push_back(path); }

    // Whether `path` was read or written whole since the last forget().
    bool used(const std::string &path) const;
    // The text of the last message box, question or refusal.
    const std::string &lastMessage() const { return last_; }
    void forget()
    {
        used_.clear();
        last_.clear();
        files_.clear();
    }

private:
    std::string next();
    std::deque<std::string> files_;
    std::vector<std::string> used_;
    std::string last_;
};

class HeadlessDataDialog : public DataDialog {
public:
    void showAcquisition() override { show(); }
    void showCrossCorrelation() override { show(); }
    std::string text(DataField f) const override { return fields_[static_cast<size_t>(f)]; }
    void setText(DataField f, const std::string &s) { fields_[static_cast<size_t>(f)] = s; }
    bool isOpen() const override { return open_; }
    void closeDialog() override { open_ = false; }
    void setWorking(bool) override {}
    bool stopRequested() override { return false; }

private:
    void show()
    {
        fields_ = {};
        open_ = true;
    }
    std::array<std::string, static_cast<size_t>(DataField::Count)> fields_;
    bool open_ = false;
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
