#pragma once
// The trace stepper `upd`: Min, Max and Value (whole numbers) with a change
// notification. Setting the value from code runs the same change handling as
// the user's arrow click. The window's up-down widget shows this object and
// forwards its arrow clicks to up() and down().

#include <cstdint>
#include <functional>

namespace orv {

class Stepper {
public:
    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Value() const { return value_; }

    void setMin(int32_t v) { min_ = v; notifyView(); }
    void setMax(int32_t v) { max_ = v; notifyView(); }
    // Runs the change handler when the value changes.
    void setValue(int32_t v)
    {
        if (v == value_)
            return;
        value_ = v;
        notifyView();
        if (onChange)
            onChange();
    }
    // The arrows: one step, never past Min or Max.
    void up() { if (value_ < max_) setValue(value_ + 1); }
    void down() { if (value_ > min_) setValue(value_ - 1); }

    std::function<void()> onChange; // the current-trace change handler
    std::function<void()> onView;   // the widget that shows the stepper

private:
    void notifyView() { if (onView) onView(); }
    int32_t min_ = 0;
    int32_t max_ = 10;
    int32_t value_ = 0;
};

} // namespace orv
