#pragma once
// orv::Dialogs with Qt's file dialog and message boxes.

#include "core/dialogs.h"

#include <QString>

#include <string>

class QWidget;

namespace orv {

// Turns a filter of description|pattern pairs ("Seismic Unix File
// (*.su)|*.su| All Filese (*.*)|*.*") into Qt's ";;"-separated name filters.
// Each description is kept as written; Qt takes the patterns from the
// parenthesised list at its end, so that list is set to the pair's patterns
// (";" becomes a blank) with "*.*" written as "*" so that it also matches
// names without a dot. A description without such a list gets one appended.
// The example gives "Seismic Unix File (*.su);; All Filese (*)".
QString QtNameFilters(const std::string &filter);

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent);

    std::string openFile(const std::string &filter) override;
    std::string saveFile(const std::string &filter) override;
    void message(const std::string &title, const std::string &text) override;
    void critical(const std::string &title, const std::string &text) override;
    bool question(const std::string &title, const std::string &text) override;

private:
    std::string remember(const QString &chosen);
    QWidget *parent_;
    QString folder_; // where the last chosen file lies; dialogs open there
};

} // namespace orv
