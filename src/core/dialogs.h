#pragma once
// The common file dialog and the message boxes. The application uses Qt's;
// tests script the answers.

#include <string>
#include <vector>

namespace orv {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // filter: pairs of description and pattern separated by vertical bars,
    // "Seismic Unix File (*.su)|*.su| All Filese (*.*)|*.*". An empty result
    // means the user cancelled.
    virtual std::string openFile(const std::string &filter) = 0;
    virtual std::string saveFile(const std::string &filter) = 0;
    virtual void message(const std::string &title, const std::string &text) = 0;
    // A message with the stop icon: the input cannot be taken as it is.
    virtual void critical(const std::string &title, const std::string &text) = 0;
    // Yes / No question; true for Yes.
    virtual bool question(const std::string &title, const std::string &text) = 0;
    // One of several items (a file's channels, say) in a small list; the
    // 0-based item chosen, or -1 when the user cancelled.
    virtual int choose(const std::string &title, const std::string &text, const std::vector<std::string> &items) = 0;
    // A file chosen in a file dialog was read or written whole: the next
    // file dialog opens in its folder. A file that failed is not
    // remembered, so a folder nothing could be done in is not offered again.
    virtual void fileUsed(const std::string &path) { (void)path; }
};

} // namespace orv
