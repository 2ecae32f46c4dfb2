#pragma once
// The undo history of the picks: each change of the whole picks array (one
// pick, Reset Picking, a picks file, an automatic run) is one step, kept as
// the entries it changed, so that a pick costs a few bytes however long the
// profile is. Undo puts the array back as it was before the step, redo as it
// was after it; a new change drops the steps undone.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace orv {

class PickHistory {
public:
    // The oldest steps go once there are more than this many.
    static constexpr size_t MaxSteps = 1000;

    // Records the change from `before` to `after`; a change that changes
    // nothing is no step.
    void record(const std::vector<float> &before, const std::vector<float> &after);
    // Puts `picks` back as before the last step (undo) or after the last step
    // undone (redo). False, and `picks` untouched, when there is none. The
    // trace the step changed is returned in `trace` when it changed one
    // alone, else 0.
    bool undo(std::vector<float> &picks, int32_t &trace);
    bool redo(std::vector<float> &picks, int32_t &trace);
    void clear();
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }

private:
    struct Step {
        size_t sizeBefore = 0, sizeAfter = 0;
        std::vector<uint32_t> index;
        std::vector<float> before, after;
    };
    static bool apply(const Step &s, bool forward, std::vector<float> &picks, int32_t &trace);
    std::deque<Step> steps_;
    size_t done_ = 0; // steps_[0 .. done_) are in force
};

} // namespace orv
