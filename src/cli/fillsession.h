#pragma once
// A bill opened for filling in without a window: the template read from the
// database into a bill document, values entered as a clerk types them, the
// filling-in rules running on the document. Qt Core, Gui and Sql only.
#include "core/appstate.h"
#include "core/billdocument.h"
#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace cli {

class FillSession {
public:
    explicit FillSession(AppState &state);

    // Opens CLASS/TEMPLATE as a double click on its tree node does, for a
    // "CLASS/TEMPLATE" name split at whichever "/" gives a class and
    // template of the database (either name may hold a "/"). A failure
    // says why (the template is not in the tree or cannot be read).
    Status open(const QString &name);
    Status open(const QString &className, const QString &templateName);

    // Enters a value into the field with this key as a user would.
    Status enter(const QString &key, const QString &value);

    // {"template": ..., "fields": [...]}: every field of the bill in slot
    // order with its key, kind and what it shows.
    QByteArray json(const QString &templateName) const;

    const BillDocument &document() const { return m_document; }
    BillDocument &document() { return m_document; }

private:
    AppState &m_state;
    BillDocument m_document;
};

} // namespace cli
