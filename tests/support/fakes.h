#pragma once
// Plain stand-ins for the window.

#include "core/controls.h"
#include "core/datadialog.h"
#include "core/dialogs.h"
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orv::test {

template <typename K, typename V>
V Lookup(const std::map<K, V> &m, K k, V otherwise = {})
{
    auto it = m.find(k);
    return it == m.end() ? otherwise : it->second;
}

template <typename T>
T PopFront(std::deque<T> &q)
{
    T v{};
    if (!q.empty())
        v = q.front(), q.pop_front();
    return v;
}

class FakeControls : public Controls {
public:
    FakeControls()
    {
        texts = {{Field::txtAmpClip, "1000"}, {Field::txtGainValue, "400"}, {Field::txtTraceCSG, "24"},
                 {Field::txtGroupOverlap, "0"}, {Field::txtPickRange, "20"}};
        captions = {{Caption::Label1, "Trace # 1"}, {Caption::Label3, "Picked Time = "},
                    {Caption::Label5, "No. of Traces"}, {Caption::Label6, "No. of Samples"},
                    {Caption::lblReadTr, "Reading Trace # 1"}};
        options[Option::optNormNone] = true;
        checks[MenuCheck::mnuZeroPick] = true;
    }

    std::string text(Field f) const override { return Lookup(texts, f); }
    void setText(Field f, const std::string &s) override { texts[f] = s; }
    std::string caption(Caption c) const override { return Lookup(captions, c); }
    void setCaption(Caption c, const std::string &s) override
    {
        captions[c] = s;
        if (c == Caption::lblReadTr)
            progress.push_back(s);
    }
    bool captionVisible(Caption c) const override { return Lookup(visible, c, true); }
    void setCaptionVisible(Caption c, bool v) override { visible[c] = v; }
    bool option(Option o) const override { return Lookup(options, o); }
    void select(Option o) { options = {{o, true}}; }
    bool checked(MenuCheck m) const override { return Lookup(checks, m); }
    void setChecked(MenuCheck m, bool on) override { checks[m] = on; }
    std::string title() const override { return windowTitle; }
    void setTitle(const std::string &s) override { windowTitle = s; }
    int pointer() const override { return pointerShape; }
    void setPointer(int shape) override { pointerHistory.push_back(pointerShape = shape); }
    void showAbout(bool) override {}
    void adjustform() override { ++adjustCalls; }
    void yieldToUi() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    void setCancelVisible(bool v) override
    {
        cancelVisible = v, cancelClicked = false;
        cancelShows += v;
    }
    bool yieldForCancel() override
    {
        yieldToUi();
        if (cancelAtYield > 0 && cancelVisible && ++cancelYields >= cancelAtYield)
            cancelClicked = true;
        return cancelClicked;
    }
    void quit() override {}

    std::map<Field, std::string> texts;
    std::map<Caption, std::string> captions;
    std::map<Caption, bool> visible;
    std::map<Option, bool> options;
    std::map<MenuCheck, bool> checks;
    std::vector<std::string> progress; // every lblReadTr caption set
    std::vector<int> pointerHistory;
    std::string windowTitle = "Orvane";
    int pointerShape = PointerDefault;
    int adjustCalls = 0, yields = 0;
    std::function<void()> onYield; // lets a test act in the middle of a long command
    bool cancelVisible = false, cancelClicked = false;
    int cancelShows = 0, cancelYields = 0;
    int cancelAtYield = 0; // the yield with the Cancel button up that clicks it; 0 never
};

class FakeDialogs : public Dialogs {
public:
    std::string openFile(const std::string &filter) override { return filters.push_back(filter), PopFront(files); }
    std::string saveFile(const std::string &filter) override { return filters.push_back(filter), PopFront(files); }
    void message(const std::string &title, const std::string &text) override { messages.emplace_back(title, text); }
    void critical(const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
        ++criticals;
    }
    void fileUsed(const std::string &path) override { used.push_back(path); }
    bool question(const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
        return PopFront(answers);
    }

    int choose(const std::string &title, const std::string &text, const std::vector<std::string> &items) override
    {
        messages.emplace_back(title, text);
        offered.push_back(items);
        return choices.empty() ? -1 : PopFront(choices);
    }

    std::deque<std::string> files;    // answers of the file dialog, "" = cancel
    std::deque<int> choices;          // answers of choose(), -1 = cancel (also when none is left)
    std::vector<std::vector<std::string>> offered; // the items of every choose()
    std::deque<bool> answers;         // answers of question()
    std::vector<std::string> filters; // filter of every file dialog shown
    std::vector<std::pair<std::string, std::string>> messages;
    int criticals = 0;              // messages with the stop icon
    std::vector<std::string> used; // files read or written whole, in order
};

// The parameter dialog: fields set by the test, open while shown.
class FakeDataDialog : public DataDialog {
public:
    void showAcquisition() override { show(false); }
    void showCrossCorrelation() override { show(true); }
    std::string text(DataField f) const override { return Lookup(fields, f); }
    bool isOpen() const override { return open; }
    void closeDialog() override { open = false; }
    void setWorking(bool on) override { working = on; }
    bool stopRequested() override { return ++polls, stopAtPoll > 0 && polls >= stopAtPoll; }

    std::map<DataField, std::string> fields;
    bool open = false;
    bool crossCorrelation = false; // which frame the last show put up
    bool working = false;
    int shows = 0, polls = 0;
    int stopAtPoll = 0; // the poll that asks for a stop; 0 never

private:
    void show(bool cc)
    {
        fields.clear();
        open = true, crossCorrelation = cc;
        ++shows;
    }
};

} // namespace orv::test
