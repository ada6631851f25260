#pragma once
// Managing classes and templates in the store: new classes, new templates
// (blank at a paper size, or a copy of another), renaming, deleting, and
// reading or writing a template's whole content for template files. Every
// operation runs in one transaction: it happens completely or not at all.
// Table names are built from the display names (class "_" template, "H_"
// before that for the register), so every name is checked to make a table
// name that is free and usable.
#include "core/formbackground.h"
#include "core/templatestore.h"

#include <QList>
#include <QString>
#include <optional>

// A template named by its class and its own name.
struct TemplateRef {
    QString className;
    QString templateName;

    QString table() const { return TemplateStore::templateTable(className, templateName); }
    QString historyTable() const { return TemplateStore::historyTable(table()); }
    // "class/template", as the command line and the messages name it.
    QString display() const { return className + QLatin1Char('/') + templateName; }
    bool operator==(const TemplateRef &) const = default;
};

// One record of a template as stored: its eight-digit key and its property
// entries in key order.
struct TemplateRecord {
    QString key;
    PropertyList props;

    int kind() const; // from the key's digits; -1 when the key is malformed
    QString name() const { return entryValue(props, 0); }
};

// Everything a template file carries.
struct TemplateContent {
    TemplateRef name;
    TemplateRecord bill;          // the bill itself (kind 0)
    QList<TemplateRecord> fields; // kinds 4 to 8, in key order
    std::optional<FormBackground> background;
};

// A paper size offered for new templates.
struct PaperPreset {
    QString name;
    double widthMm;
    double heightMm;
};

class TemplateManager {
public:
    explicit TemplateManager(const QString &connectionName);

    // The class that deleted templates with printed bills move to.
    static QString deletedClass();
    // The common bank forms' sizes, in millimetres.
    static QList<PaperPreset> paperPresets();
    // Limits of a new template's paper, in millimetres.
    static constexpr double MinPaperMm = 20.0;
    static constexpr double MaxPaperMm = 600.0;

    // Why a class or template name cannot be used on its own (empty,
    // blanks at either end, control characters, too long); empty when it can.
    static QString nameProblem(const QString &name);

    std::optional<ClassRow> findClass(const QString &name) const;
    std::optional<BillRow> findTemplate(const TemplateRef &ref) const;
    // The templates of a class, in tree order.
    QStringList templatesOf(const QString &className) const;
    // Rows of the template's register (its history table): the bills
    // printed with it. 0 when it has no register.
    StoreStatus printedCount(const TemplateRef &ref, qint64 &count) const;

    // Checks that a class, or a template under this name, could be made.
    StoreStatus checkNewClass(const QString &name) const;
    StoreStatus checkNewTemplate(const TemplateRef &ref) const;
    // The same for an imported template, whose class may be new.
    StoreStatus checkImport(const TemplateRef &ref) const;
    // Checks that a class or template could take a new name (its own
    // name is fine: renaming to it changes nothing).
    StoreStatus checkRenameClass(const QString &from, const QString &to) const;
    StoreStatus checkRenameTemplate(const TemplateRef &from, const QString &newName) const;

    StoreStatus createClass(const QString &name) const;
    // A blank template: its bill record from the "cBill" defaults, sized to
    // the paper; an empty register. The class must exist.
    StoreStatus createTemplate(const TemplateRef &ref, double widthMm, double heightMm) const;
    // A copy of `from`'s fields, column descriptions and scanned form under
    // a new name (an empty register); the bill's name follows the new name
    // where it was the template's name.
    StoreStatus copyTemplate(const TemplateRef &from, const TemplateRef &to) const;

    StoreStatus renameClass(const QString &from, const QString &to) const;
    StoreStatus renameTemplate(const TemplateRef &from, const QString &newName) const;

    // Deletes a class that has no templates.
    StoreStatus deleteClass(const QString &name) const;
    enum class Removal {
        KeepPrinted, // a template whose register holds rows moves to the deleted class
        DropAll      // tables, register and all go
    };
    // Deletes a template. With KeepPrinted and printed bills in its
    // register it is moved instead, and `movedTo` says where.
    StoreStatus deleteTemplate(const TemplateRef &ref, Removal how, TemplateRef *movedTo = nullptr) const;

    // The template's fields as stored (records with a key-0 row, kinds 0
    // and 4 to 8) and its scanned form.
    StoreStatus readContent(const TemplateRef &ref, TemplateContent &out) const;
    // Writes content as a new template named `as` (its class is created
    // when missing), with a register that has a column per field.
    StoreStatus importContent(const TemplateContent &content, const TemplateRef &as) const;

private:
    QString m_connection;
};
