#pragma once
// orv::Dialogs with Qt's file dialog and message boxes.

#include "core/dialogs.h"

#include <QFileIconProvider>
#include <QString>

#include <optional>
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

// Icons and type names for the file dialog from a file's kind alone (folder,
// link, file, drive), never from its contents: Qt's own provider reads a
// file's first bytes to guess its type, and some files never answer a read
// (a FIFO, or the kernel's message file under /proc), which would freeze the
// dialog.
class KindIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent);

    std::string openFile(const std::string &filter) override;
    std::string saveFile(const std::string &filter) override;
    void message(const std::string &title, const std::string &text) override;
    void critical(const std::string &title, const std::string &text) override;
    bool question(const std::string &title, const std::string &text) override;
    int choose(const std::string &title, const std::string &text, const std::vector<std::string> &items) override;
    void fileUsed(const std::string &path) override;

    // Where the file dialogs open: the folder of the last file read or
    // written whole.
    const QString &folder() const { return folder_; }

    // The next openFile returns path without showing a dialog, so that a
    // file named on the command line goes through the menu's own open flow.
    void answerNextOpen(const std::string &path) { nextOpen_ = path; }
    // Forgets an answer no openFile has taken.
    void dropNextOpen() { nextOpen_.reset(); }

private:
    std::string fileDialog(bool save, const std::string &filter);
    QWidget *parent_;
    QString folder_;
    std::optional<std::string> nextOpen_;
    KindIconProvider icons_;
};

} // namespace orv
