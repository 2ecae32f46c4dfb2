#include "ui/qtdialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

namespace orv {

QString QtNameFilters(const std::string &filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString desc = parts[i];
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : QString();
        if (desc.trimmed().isEmpty() && pattern.trimmed().isEmpty())
            continue;

        QStringList patterns;
        for (const QString &p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            if (t.isEmpty())
                continue;
            patterns << (t == QLatin1String("*.*") ? QStringLiteral("*") : t);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        const QString list = patterns.join(QLatin1Char(' '));

        // Replace a trailing "(...)" of the description, or add one.
        const QString trimmed = desc.trimmed();
        const qsizetype open = desc.lastIndexOf(QLatin1Char('('));
        if (trimmed.endsWith(QLatin1Char(')')) && open >= 0)
            desc = desc.left(open + 1) + list + QLatin1Char(')');
        else
            desc = desc + (trimmed.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char('(') + list
                + QLatin1Char(')');
        out << desc;
    }
    return out.join(QStringLiteral(";;"));
}

QtDialogs::QtDialogs(QWidget *parent) : parent_(parent) {}

std::string QtDialogs::openFile(const std::string &filter)
{
    return QFileDialog::getOpenFileName(parent_, QString(), QString(), QtNameFilters(filter)).toStdString();
}

std::string QtDialogs::saveFile(const std::string &filter)
{
    return QFileDialog::getSaveFileName(parent_, QString(), QString(), QtNameFilters(filter)).toStdString();
}

void QtDialogs::message(const std::string &title, const std::string &text)
{
    QMessageBox::warning(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

bool QtDialogs::question(const std::string &title, const std::string &text)
{
    return QMessageBox::question(parent_, QString::fromStdString(title), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

} // namespace orv
