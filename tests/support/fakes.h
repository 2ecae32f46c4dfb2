#pragma once
// Plain stand-ins for the window: fields and captions in maps, scripted file
// dialog answers, recorded messages. Defaults are those of a freshly created
// main window.

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

class FakeControls : public Controls {
public:
    FakeControls()
    {
        texts[Field::txtAmpClip] = "1000";
        texts[Field::txtGainValue] = "400";
        texts[Field::txtTraceCSG] = "24";
        texts[Field::txtGroupOverlap] = "0";
        texts[Field::txtPickRange] = "20";
        captions[Caption::Label1] = "Trace # 1";
        captions[Caption::Label3] = "Picked Time = ";
        captions[Caption::Label5] = "No. of Traces";
        captions[Caption::Label6] = "No. of Samples";
        captions[Caption::lblReadTr] = "Reading Trace # 1";
        options[Option::optNormNone] = true;
        checks[MenuCheck::mnuZeroPick] = true;
    }

    std::string text(Field f) const override
    {
        auto it = texts.find(f);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(Field f, const std::string &s) override { texts[f] = s; }
    std::string caption(Caption c) const override
    {
        auto it = captions.find(c);
        return it == captions.end() ? std::string() : it->second;
    }
    void setCaption(Caption c, const std::string &s) override
    {
        captions[c] = s;
        if (c == Caption::lblReadTr)
            progress.push_back(s);
    }
    bool captionVisible(Caption c) const override
    {
        auto it = visible.find(c);
        return it == visible.end() ? true : it->second;
    }
    void setCaptionVisible(Caption c, bool v) override { visible[c] = v; }
    bool option(Option o) const override
    {
        auto it = options.find(o);
        return it != options.end() && it->second;
    }
    void select(Option o)
    {
        options.clear();
        options[o] = true;
    }
    bool checked(MenuCheck m) const override
    {
        auto it = checks.find(m);
        return it != checks.end() && it->second;
    }
    void setChecked(MenuCheck m, bool on) override { checks[m] = on; }
    std::string title() const override { return windowTitle; }
    void setTitle(const std::string &s) override { windowTitle = s; }
    int pointer() const override { return pointerShape; }
    void setPointer(int shape) override
    {
        pointerShape = shape;
        pointerHistory.push_back(shape);
    }
    void showAbout(bool v) override { aboutVisible = v; }
    void adjustform() override { ++adjustCalls; }
    void yieldToUi() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    void setCancelVisible(bool v) override
    {
        cancelVisible = v;
        cancelClicked = false;
        if (v)
            ++cancelShows;
    }
    bool yieldForCancel() override
    {
        yieldToUi();
        if (cancelAtYield > 0 && cancelVisible && ++cancelYields >= cancelAtYield)
            cancelClicked = true;
        return cancelClicked;
    }
    void quit() override { quitCalled = true; }

    std::map<Field, std::string> texts;
    std::map<Caption, std::string> captions;
    std::map<Caption, bool> visible;
    std::map<Option, bool> options;
    std::map<MenuCheck, bool> checks;
    std::vector<std::string> progress; // every lblReadTr caption set
    std::vector<int> pointerHistory;
    std::string windowTitle = "Orvane";
    int pointerShape = PointerDefault;
    bool aboutVisible = false;
    int adjustCalls = 0;
    int yields = 0;
    bool quitCalled = false;
    std::function<void()> onYield; // lets a test act in the middle of a long command
    bool cancelVisible = false;
    int cancelShows = 0;
    int cancelAtYield = 0; // the yield with the Cancel button up that clicks it; 0 never
    int cancelYields = 0;
    bool cancelClicked = false;
};

class FakeDialogs : public Dialogs {
public:
    std::string openFile(const std::string &filter) override
    {
        filters.push_back(filter);
        return next();
    }
    std::string saveFile(const std::string &filter) override
    {
        filters.push_back(filter);
        return next();
    }
    void message(const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
    }
    void critical(const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
        ++criticals;
    }
    void fileUsed(const std::string &path) override { used.push_back(path); }
    bool question(const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
        bool a = answers.empty() ? false : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }

    std::deque<std::string> files;    // answers of the file dialog, "" = cancel
    std::deque<bool> answers;         // answers of question()
    std::vector<std::string> filters; // filter of every file dialog shown
    std::vector<std::pair<std::string, std::string>> messages;
    int criticals = 0; // messages with the stop icon
    std::vector<std::string> used; // files read or written whole, in order

private:
    std::string next()
    {
        if (files.empty())
            return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
};

// The parameter dialog: fields set by the test, open while shown.
class FakeDataDialog : public DataDialog {
public:
    void showAcquisition() override
    {
        fields.clear();
        open = true;
        crossCorrelation = false;
        ++shows;
    }
    void showCrossCorrelation() override
    {
        fields.clear();
        open = true;
        crossCorrelation = true;
        ++shows;
    }
    std::string text(DataField f) const override
    {
        auto it = fields.find(f);
        return it == fields.end() ? std::string() : it->second;
    }
    bool isOpen() const override { return open; }
    void closeDialog() override { open = false; }
    void setWorking(bool on) override { working = on; }
    bool stopRequested() override
    {
        ++polls;
        return stopAtPoll > 0 && polls >= stopAtPoll;
    }

    std::map<DataField, std::string> fields;
    bool open = false;
    bool crossCorrelation = false; // which frame the last show put up
    bool working = false;
    int shows = 0;
    int polls = 0;
    int stopAtPoll = 0; // the poll that asks for a stop; 0 never

};

} // namespace orv::test
