#pragma once
// The real main window on the offscreen platform.

#include "support/fakes.h"
#include "support/store_access.h"
#include "ui/form1.h"
#include "ui/frmdata.h"
#include "ui/qtcanvas.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orv::test {

inline const std::string ExampleLine = std::string(ORVANE_EXAMPLES_DIR) + "/radar_line.su"; // 300 x 400

template <typename T = QWidget>
T *Find(QObject &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}
inline void Trigger(Form1 &w, const char *action) { Find<QAction>(w, action)->trigger(); }

inline std::unique_ptr<Form1> OpenedWindow(FakeDialogs &d, const std::string &path = ExampleLine)
{
    d.files.push_back(path);
    auto w = std::make_unique<Form1>(&d);
    w->show();
    Trigger(*w, "mnuOpenSU");
    return w;
}

inline bool TakesInput(Form1 &w)
{
    return w.centralWidget()->isEnabled() && w.menuBar()->isEnabled() && !QApplication::overrideCursor();
}
inline bool Held(Form1 &w) { return !w.centralWidget()->isEnabled() && !w.menuBar()->isEnabled(); }

inline void Fill(FrmData &frm, std::initializer_list<std::pair<DataField, const char *>> fields)
{
    for (const auto &[f, text] : fields)
        frm.field(f)->setText(QString::fromLatin1(text));
}

} // namespace orv::test
