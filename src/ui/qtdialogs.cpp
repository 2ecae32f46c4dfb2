#include "ui/qtdialogs.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <utility>

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

namespace {

// The readers and writers show the busy pointer over the window before they
// ask for a file; the dialog itself keeps the ordinary pointer, and the busy
// one comes back when it closes.
class OrdinaryPointer {
public:
    OrdinaryPointer()
    {
        while (const QCursor *c = QApplication::overrideCursor()) {
            saved_.append(*c);
            QApplication::restoreOverrideCursor();
        }
    }
    ~OrdinaryPointer()
    {
        for (qsizetype i = saved_.size(); i-- > 0;)
            QApplication::setOverrideCursor(saved_[i]);
    }
    OrdinaryPointer(const OrdinaryPointer &) = delete;
    OrdinaryPointer &operator=(const OrdinaryPointer &) = delete;

private:
    QList<QCursor> saved_;
};

} // namespace

QIcon KindIconProvider::icon(IconType type) const { return QFileIconProvider::icon(type); }

QIcon KindIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return QFileIconProvider::icon(Drive);
    if (info.isDir())
        return QFileIconProvider::icon(Folder);
    return QFileIconProvider::icon(File);
}

QString KindIconProvider::type(const QFileInfo &info) const
{
    if (info.isRoot())
        return QStringLiteral("Drive");
    if (info.isDir())
        return QStringLiteral("Folder");
    if (info.isSymLink())
        return QStringLiteral("Link");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
}

QtDialogs::QtDialogs(QWidget *parent) : parent_(parent) {}

// Qt's own dialog, so that the icon provider applies (a platform dialog
// would bring its own); it opens in the folder last used.
std::string QtDialogs::fileDialog(bool save, const std::string &filter)
{
    OrdinaryPointer p;
    QFileDialog dlg(parent_, QString(), folder_, QtNameFilters(filter));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setIconProvider(&icons_);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst().toStdString();
}

std::string QtDialogs::openFile(const std::string &filter)
{
    if (nextOpen_) {
        std::string path = std::move(*nextOpen_);
        nextOpen_.reset();
        return path;
    }
    return fileDialog(false, filter);
}

std::string QtDialogs::saveFile(const std::string &filter) { return fileDialog(true, filter); }

void QtDialogs::fileUsed(const std::string &path)
{
    if (!path.empty())
        folder_ = QFileInfo(QString::fromStdString(path)).absolutePath();
}

void QtDialogs::message(const std::string &title, const std::string &text)
{
    OrdinaryPointer p;
    QMessageBox::warning(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

void QtDialogs::critical(const std::string &title, const std::string &text)
{
    OrdinaryPointer p;
    QMessageBox::critical(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

bool QtDialogs::question(const std::string &title, const std::string &text)
{
    OrdinaryPointer p;
    return QMessageBox::question(parent_, QString::fromStdString(title), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

int QtDialogs::choose(const std::string &title, const std::string &text, const std::vector<std::string> &items)
{
    OrdinaryPointer p;
    QStringList list;
    for (const std::string &item : items)
        list << QString::fromStdString(item);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent_, QString::fromStdString(title), QString::fromStdString(text),
                                                 list, 0, false, &ok);
    return ok ? static_cast<int>(list.indexOf(chosen)) : -1;
}

} // namespace orv
