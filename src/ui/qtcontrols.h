#pragma once
// orv::Controls on the widgets of the main window: the handlers read and
// write Form1's fields, captions, options, title and pointer through this.

#include "core/controls.h"

namespace orv {

class Form1;

class QtControls : public Controls {
public:
    explicit QtControls(Form1 &form);
    ~QtControls() override;
    QtControls(const QtControls &) = delete;
    QtControls &operator=(const QtControls &) = delete;

    std::string text(Field f) const override;
    void setText(Field f, const std::string &s) override;
    std::string caption(Caption c) const override;
    void setCaption(Caption c, const std::string &s) override;
    bool captionVisible(Caption c) const override;
    void setCaptionVisible(Caption c, bool visible) override;
    bool option(Option o) const override;
    bool checked(MenuCheck m) const override;
    void setChecked(MenuCheck m, bool on) override;
    std::string title() const override;
    void setTitle(const std::string &s) override;
    // 0 the default arrow, 2 the cross-hair over the window, 11 the busy
    // pointer over the whole program. The busy pointer is an application
    // override cursor that is set at most once and always taken back.
    int pointer() const override;
    void setPointer(int shape) override;
    void showAbout(bool visible) override;
    void adjustform() override;
    void yieldToUi() override;
    void setCancelVisible(bool visible) override;
    bool yieldForCancel() override;
    void quit() override;

private:
    Form1 &form_;
    int pointer_ = PointerDefault;
    bool busyOverride_ = false;
};

} // namespace orv
