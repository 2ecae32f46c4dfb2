#pragma once
// A whole batch run: the plan for every input, the files processed on
// several threads, a line per finished file, a summary, the exit status.

#include "batch/job.h"
#include "batch/options.h"

#include <cstdio>
#include <string>
#include <vector>

namespace orv::batch {

// The outputs of each input, in input order. Two inputs whose outputs
// would have the same name (L1.su and L1.dt1 into one folder, say): the
// later gets an empty plan and its reason in `clash`.
std::vector<Plan> MakePlans(const Options &o, std::vector<std::string> &clash);

struct RunTotals {
    int files = 0, failed = 0;
    long long traces = 0;
    double seconds = 0;
    double read = 0, pick = 0, align = 0, write = 0; // summed over files
    double flush = 0; // the final flush of the written files to the disk
};

// Runs the batch; progress and failures go to `err` (a bar when
// `terminal`). The exit status: 0 all done, 1 some failed.
int RunBatch(const Options &o, std::FILE *err, bool terminal, RunTotals *totals = nullptr);

// The program: the arguments without the program's name, the version
// string; the exit status (2 for a wrong command line).
int BatchMain(const std::vector<std::string> &args, const char *version);

} // namespace orv::batch
