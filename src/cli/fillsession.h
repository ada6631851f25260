#pragma once
// A bill opened for filling in without a window: the same opening code, field
// controls and filling-in rules as the main window, on a hidden host.
#include "core/appstate.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/fieldcontrols.h"
#include "workspace/fillrules.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace cli {

class FillSession {
public:
    explicit FillSession(AppState &state);
    ~FillSession();

    // Opens CLASS/TEMPLATE as a double click on its tree node does. False,
    // with the reason in `why`, when the template is not in the tree or its
    // table cannot be read.
    bool open(const QString &className, const QString &templateName, QString &why);
    // The same for a "CLASS/TEMPLATE" name, split at whichever "/" gives a
    // class and template of the database (either name may hold a "/").
    bool open(const QString &name, QString &why);

    // Enters a value into the field with this key as a user would: text as
    // a whole, a date typed character by character, a money amount in yuan
    // typed digit by digit into its columns (as is into a single box), a
    // check ticked by "√". False, with the reason in `why`, when the key
    // names no field that takes input or the value does not fit the field.
    bool enter(const QString &key, const QString &value, QString &why);

    // {"template": ..., "fields": [...]}: every field of the bill in slot
    // order with its key, kind and what it shows.
    QByteArray json(const QString &templateName) const;

    const FieldControls &controls() const { return m_controls; }

private:
    QWidget *controlOf(const QString &key, int &kind) const;
    bool typeMoney(QWidget *control, const QString &value, bool singleBox, QString &why);
    void typeDate(QWidget *control, const QString &value);

    AppState &m_state;
    std::unique_ptr<QWidget> m_host;
    BillSurface *m_surface = nullptr;
    FieldControls m_controls;
    std::unique_ptr<FillRules> m_rules;
    std::unique_ptr<BillOpener> m_opener;
};

} // namespace cli
