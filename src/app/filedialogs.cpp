#include "app/filedialogs.h"
#include "app/remembered.h"

#include <QDir>
#include <QMimeDatabase>
#include <QPointer>
#include <QRegularExpression>

namespace filedialogs {

namespace {

QMimeType typeByName(const QFileInfo &info)
{
    static const QMimeDatabase db;
    return db.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

// Where a dialog opens: in the folder it was last used in, unless the
// caller names a folder of its own (home stands for "no particular folder").
// A suggested file name keeps its name in the remembered folder.
QString startIn(const QString &caption, const QString &directory)
{
    const QString folder = remembered::value(remembered::folderKey(caption)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return directory;
    if (directory.isEmpty() || QDir(directory) == QDir::home())
        return folder;
    const QFileInfo given(directory);
    if (!directory.contains(QLatin1Char('/')))
        return QDir(folder).filePath(directory);
    if (!given.isDir() && QDir(given.absolutePath()) == QDir::home())
        return QDir(folder).filePath(given.fileName());
    return directory;
}

} // namespace

NameOnlyIconProvider::NameOnlyIconProvider()
{
    // Folder icons set by the desktop are found by reading files too.
    setOptions(DontUseCustomDirectoryIcons);
}

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    return QFileIconProvider::icon(type);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isDir())
        return QFileIconProvider::icon(Folder);
    const QMimeType mime = typeByName(info);
    const QIcon fallback = QFileIconProvider::icon(File);
    if (mime.isDefault())
        return fallback;
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), fallback));
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (info.isDir())
        return QStringLiteral("文件夹");
    const QMimeType mime = typeByName(info);
    if (mime.isDefault())
        return info.suffix().isEmpty() ? QStringLiteral("文件") : QStringLiteral("%1 文件").arg(info.suffix());
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

namespace {

// The extension of a filter's first pattern: "pdf" for "PDF (*.pdf)".
QString suffixOf(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

QFileDialog *create(QWidget *parent, const QString &caption, const QString &directory, const QString &filter,
                    QFileDialog::AcceptMode mode)
{
    auto *dialog = new QFileDialog(parent, caption, startIn(caption, directory), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::DontUseCustomDirectoryIcons, true);
    // The dialog does not own its provider, and the dialog's file model
    // still asks it from its own thread while the dialog goes: one provider
    // serves every dialog for the life of the program.
    static NameOnlyIconProvider *const provider = new NameOnlyIconProvider;
    dialog->setIconProvider(provider);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A name typed without an extension takes the filter's, before the
    // dialog looks for a file of that name to ask about replacing it.
    if (mode == QFileDialog::AcceptSave)
        dialog->setDefaultSuffix(suffixOf(filter));
    return dialog;
}

namespace {

QString run(QFileDialog *dialog)
{
    QPointer<QFileDialog> guard(dialog);
    const int result = dialog->exec();
    if (!guard)
        return {};
    const QString chosen = result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    if (!chosen.isEmpty())
        remembered::setValue(remembered::folderKey(dialog->windowTitle()), QFileInfo(chosen).absolutePath());
    delete dialog;
    return chosen;
}

} // namespace

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
{
    return run(create(parent, caption, directory, filter, QFileDialog::AcceptOpen));
}

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
{
    return run(create(parent, caption, directory, filter, QFileDialog::AcceptSave));
}

} // namespace filedialogs
