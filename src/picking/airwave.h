#pragma once
// Aligning a profile on its picks: every picked trace of RawData is shifted
// in time so that its pick sample lands on the sample of the earliest pick.
// The re-plot that shows the result belongs to the caller.

#include "core/store.h"

#include <functional>

namespace orv {

// True when some trace 1..CInt(NTraces) has a pick below 1.0 (a pick that
// small counts as missing, not only 0) or a non-finite pick.
bool PicksIncomplete(const ProfileStore &st);

// The reference pick: Picks(1) to start with, then any smaller pick above
// 1.0. Non-finite picks never count.
float ReferencePick(const ProfileStore &st);

// Shifts every trace with a positive pick so that sample Int(pick) lands on
// sample Int(reference) (a product a few roundings under a whole number
// taken as that number, so a whole-sample pick is that sample), in place, never reading or writing outside the
// trace; samples that no source reaches keep their values. Does nothing
// without a profile, a time window or samples.
// `progress`, when given, hears now and then how many traces are done.
void ShiftOnPicks(ProfileStore &st, const std::function<void(int tracesDone)> &progress = {});

} // namespace orv
