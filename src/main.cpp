// Start-up: the command line, then the application object and the main
// window, opening the file named there once the window is up.
#include "app/cmdline.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    // Help and version need no display: they are answered before Qt starts.
    const orv::CommandLine cl = orv::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (cl.action) {
    case orv::CommandLine::Action::Help:
        std::cout << orv::UsageText();
        return 0;
    case orv::CommandLine::Action::Version:
        std::cout << "orvane " ORVANE_VERSION "\n";
        return 0;
    case orv::CommandLine::Action::Fail:
        std::cerr << "orvane: " << cl.error << "\n" << orv::UsageText();
        return 2;
    case orv::CommandLine::Action::Run:
        break;
    }

    // The arguments are the program's own: Qt sees the program name alone,
    // so a file name is never taken for one of its options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    // Matches the installed orvane.desktop, so that desktops pair the window
    // with its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane"));
    QApplication::setFont(orv::CompactFont());
    orv::Form1 w;
    w.show();
    if (!cl.file.empty())
        QTimer::singleShot(0, &w, [&w, file = cl.file] { w.openAtStart(file); });
    return app.exec();
}
