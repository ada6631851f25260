#pragma once
// The program's file dialogs. Every dialog that lets the user browse the
// disk goes through here, because the stock dialog opens the files it lists
// to tell their type from their contents, and closing such a descriptor
// releases every POSIX lock the process holds on that file. SQLite keeps
// its locks on the database (and on its -wal and -shm files) that way, so a
// dialog shown on the database's folder would silently drop them: another
// process could then delete the write-ahead log under the program and a
// later save that reported success would be lost.
//
// The dialogs made here tell a file's type by its name alone and never open
// a file before the user has chosen it.
#include <QFileDialog>
#include <QFileIconProvider>
#include <QString>

namespace filedialogs {

// Icons and type names from the file's name (its extension), never from
// its contents.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    NameOnlyIconProvider();
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

// A dialog set up as described above (the program's own dialog, not the
// desktop's, so that the icon provider is the one used). The caller owns
// it; `filter` as QFileDialog takes it ("PDF (*.pdf)").
QFileDialog *create(QWidget *parent, const QString &caption, const QString &directory, const QString &filter,
                    QFileDialog::AcceptMode mode);

// The file chosen, or empty when the user cancels.
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &directory,
                        const QString &filter);
// As above for a file to write; an existing file is overwritten only after
// the user confirms.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &directory,
                        const QString &filter);

} // namespace filedialogs
