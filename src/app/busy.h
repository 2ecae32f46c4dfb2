#pragma once
// What a long command shows while it runs: BusyScope marks it as running,
// so that every command that arrives meanwhile is refused
// (ProfileSession::busy() reads the flag); ProgressCaption shows how far it
// has come once it has lasted.

#include "app/profile_formats.h"
#include "core/controls.h"
#include "core/numbers.h"

#include <chrono>
#include <string>

namespace orv {

class BusyScope {
public:
    explicit BusyScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    bool &flag_;
};

// Once a command has lasted the read pacing's cancelAfter, the busy pointer
// and "<what> Trace # n" in lblReadTr, repainted at most every `paint`, as a
// read shows itself; when the command ends the caption, its visibility and
// the pointer go back as they were. One made while another is up speaks
// through that one, so a command made of several long steps (an alignment
// and its re-plot) shows one unbroken progress.
class ProgressCaption {
public:
    ProgressCaption(Controls &c, const char *what)
        : c_(c), what_(what), outer_(active()), pacing_(Pacing()), start_(Clock::now()), lastPaint_(start_)
    {
        if (!outer_)
            active() = this;
    }
    ~ProgressCaption()
    {
        if (outer_)
            return;
        active() = nullptr;
        if (!up_)
            return;
        c_.setCaption(Caption::lblReadTr, caption_);
        c_.setCaptionVisible(Caption::lblReadTr, visible_);
        c_.setPointer(pointer_);
    }
    ProgressCaption(const ProgressCaption &) = delete;
    ProgressCaption &operator=(const ProgressCaption &) = delete;

    void report(int trace)
    {
        if (outer_) {
            outer_->show(what_, trace);
            return;
        }
        show(what_, trace);
    }

private:
    using Clock = std::chrono::steady_clock;
    // Per thread: the batch runs a session on each of its threads.
    static ProgressCaption *&active()
    {
        thread_local ProgressCaption *p = nullptr;
        return p;
    }
    void show(const char *what, int trace)
    {
        const auto now = Clock::now();
        if (now - start_ < pacing_.cancelAfter || (up_ && now - lastPaint_ < pacing_.paint))
            return;
        lastPaint_ = now;
        if (!up_) {
            up_ = true;
            caption_ = c_.caption(Caption::lblReadTr);
            visible_ = c_.captionVisible(Caption::lblReadTr);
            pointer_ = c_.pointer();
            c_.setPointer(PointerBusy);
            c_.setCaptionVisible(Caption::lblReadTr, true);
        }
        c_.setCaption(Caption::lblReadTr, std::string(what) + " Trace # " + PlainText(trace));
        c_.yieldToUi();
    }

    Controls &c_;
    const char *what_;
    ProgressCaption *outer_;
    ReadPacing pacing_;
    Clock::time_point start_, lastPaint_;
    bool up_ = false;
    std::string caption_;
    bool visible_ = false;
    int pointer_ = PointerDefault;
};

} // namespace orv
