#pragma once
// The program's shared state: what every window and module reads, owned by
// Main and handed on by reference. A test builds its own instance.
#include "core/billdocument.h"
#include "core/fieldregistry.h"
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>

// Index, key and text of a selected tree node.
struct TreeSelection {
    int index = -1;
    QString key;
    QString text;
};

struct AppState {
    // Database
    QString DatabasePath;
    QString DbConnection; // name of the Qt SQL connection; empty until opened
    QString DatabaseError; // why the database could not be opened, if it could not
    bool DatabaseDamaged = false;  // the file failed SQLite's check of its pages
    bool DatabaseReadOnly = false; // opened read-only: the user cannot write the file or its folder

    // Application record
    QString AppTitle;
    QString AppVersion;
    QString AppPhone;
    QString AppAddress;
    QString AppHomePage;
    QString AppDownLoadPage;
    QString AppNewsServer; // address of the news server; "/news.txt" is appended
    qint16 AppLanguage = 1;

    // Layout defaults
    std::array<int, 4> BillRect{0, 0, 0, 0}; // left, top, width, height (twips)
    int SplitterLeft = 1000;

    // Windows and menus
    QStringList OpenWindows;
    QStringList MenuNames;
    QList<qint16> MenuCounts;

    // The template open on the bill surface: its records, and the bill being
    // filled in on it (the field controls are views of it).
    FieldRegistry Registry;
    BillDocument Bill;
    TreeSelection SelectedClass;
    TreeSelection SelectedBill;

    // Modes: DesignMode 1 while a template is designed; CurrentTool 0 tool box
    // closed, 1 pointer, 4..8 the field kind to draw.
    qint16 DesignMode = 0;
    qint16 CurrentTool = 0;
    QString CurrentKey = QStringLiteral("00000000");
    // The scanned paper form is shown under the fields outside design mode too.
    bool FormBackgroundShown = false;

    int RegisterWindow(const QString &name, bool add);
    bool IsWindowOpen(const QString &name) const;
    int InitMenuNames();
    int EraseGlobals();
};
