#pragma once
// One input of a batch run, taken through the session the window runs on:
// opened, drawn whole (All Profile) with the chosen normalization, picked
// from a file or by cross-correlation, aligned, and written in each format.

#include "batch/options.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orv::batch {

// Where one input's results go.
struct Plan {
    std::string input;
    std::vector<std::pair<OutputFormat, std::string>> profiles; // format, path
    std::string picksOut; // empty: not written
    std::string picksCsvOut; // empty: not written
    std::string picksIn;  // --picks: the file for this input
};

// A file as the system knows it (device and inode), so that two names of one
// file compare equal.
using FileId = std::pair<unsigned long long, unsigned long long>;
bool IdOf(const std::string &path, FileId &id);

// The files a run must never replace: its inputs, their header files and the
// picks files it reads.
using Protected = std::set<FileId>;

struct Outcome {
    bool ok = false;
    std::string reason; // why not, naming the file concerned
    int traces = 0;
    std::vector<std::string> written;
    // Seconds spent reading, picking (All Profile included), aligning and writing.
    double read = 0, pick = 0, align = 0, write = 0;
};

// Carries out `plan`. A failure leaves no output of this input that was
// not there before (each file is written whole or not at all, and those
// already written for it are removed again).
Outcome ProcessFile(const Options &o, const Plan &plan, const Protected &inputs, unsigned pickingThreads);

// Every file a profile output of format f at `path` consists of.
std::vector<std::string> FilesOfOutput(OutputFormat f, const std::string &path);
// Every file `plan` writes: its profiles' files and its picks file.
std::vector<std::string> OutputFiles(const Plan &plan);

} // namespace orv::batch
