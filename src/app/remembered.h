#pragma once
// What the program remembers between runs, in its settings file
// ($XDG_CONFIG_HOME/billprint/billprint.conf): the window's size and place,
// the tree's width, the last printer of the preview, the last folder of each
// file dialog.
//
// The program turns remembering on when it starts its window; the libraries
// on their own (in the tests) neither read nor write the settings, so that
// one run does not change the next.
#include <QString>
#include <QVariant>

namespace remembered {

inline const QString WindowGeometry = QStringLiteral("window/geometry");
inline const QString TreeWidth = QStringLiteral("window/treeWidth"); // twips
inline const QString Printer = QStringLiteral("print/printer");
// The key of a file dialog's last folder; dialogs are told apart by caption.
QString folderKey(const QString &caption);

void setEnabled(bool on);
bool enabled();

// The stored value, or `fallback` when there is none or remembering is off.
QVariant value(const QString &key, const QVariant &fallback = {});
// Stores (or, for an invalid value, forgets) a value; nothing when off.
void setValue(const QString &key, const QVariant &value);

} // namespace remembered
