#include "picking/history.h"

#include <cstring>

namespace orv {

namespace {

// Entries past an array's end count as 0, the value a longer array starts
// them with; bits are compared, so a NaN pick is a value like any other.
uint32_t Bits(const std::vector<float> &v, size_t i)
{
    uint32_t b = 0;
    if (i < v.size())
        std::memcpy(&b, &v[i], sizeof b);
    return b;
}

} // namespace

void PickHistory::record(const std::vector<float> &before, const std::vector<float> &after)
{
    Step s;
    s.sizeBefore = before.size();
    s.sizeAfter = after.size();
    const size_t n = before.size() > after.size() ? before.size() : after.size();
    for (size_t i = 0; i < n; ++i)
        if (Bits(before, i) != Bits(after, i)) {
            s.index.push_back(static_cast<uint32_t>(i));
            s.before.push_back(i < before.size() ? before[i] : 0.0f);
            s.after.push_back(i < after.size() ? after[i] : 0.0f);
        }
    if (s.index.empty() && s.sizeBefore == s.sizeAfter)
        return;
    steps_.resize(done_);
    steps_.push_back(std::move(s));
    if (steps_.size() > MaxSteps)
        steps_.pop_front();
    done_ = steps_.size();
}

bool PickHistory::apply(const Step &s, bool forward, std::vector<float> &picks, int32_t &trace)
{
    picks.resize(forward ? s.sizeAfter : s.sizeBefore, 0.0f);
    const std::vector<float> &values = forward ? s.after : s.before;
    for (size_t k = 0; k < s.index.size(); ++k)
        if (s.index[k] < picks.size())
            picks[s.index[k]] = values[k];
    trace = s.index.size() == 1 ? static_cast<int32_t>(s.index[0]) : 0;
    return true;
}

bool PickHistory::undo(std::vector<float> &picks, int32_t &trace)
{
    if (!canUndo())
        return false;
    return apply(steps_[--done_], false, picks, trace);
}

bool PickHistory::redo(std::vector<float> &picks, int32_t &trace)
{
    if (!canRedo())
        return false;
    return apply(steps_[done_++], true, picks, trace);
}

void PickHistory::clear()
{
    steps_.clear();
    done_ = 0;
}

} // namespace orv
