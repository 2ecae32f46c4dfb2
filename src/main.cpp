// Start-up: the application object and the main window, nothing else.
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setFont(orv::CompactFont());
    orv::Form1 w;
    w.show();
    return app.exec();
}
