#include "fillsession.h"

#include "core/billentry.h"
#include "core/templatestore.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace cli {

namespace {

// A text as one JSON string literal.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

FillSession::FillSession(AppState &state) : m_state(state) {}

Status FillSession::open(const QString &name)
{
    TemplateStore store(m_state.DbConnection);
    QList<ClassRow> classes;
    QList<BillRow> bills;
    if (Status s = store.listClasses(classes); !s)
        return s;
    if (Status s = store.listBills(bills); !s)
        return s;
    for (const ClassRow &c : std::as_const(classes))
        for (const BillRow &b : std::as_const(bills))
            if (b.cKey == c.cKey && c.cName + QLatin1Char('/') + b.bName == name)
                return open(c.cName, b.bName);
    return Status::failure(QStringLiteral("no template \"%1\" in the database").arg(name), 3);
}

Status FillSession::open(const QString &className, const QString &templateName)
{
    m_state.SelectedClass.text = className;
    m_state.SelectedBill.text = templateName;
    // What a double click on the template's node does in fill-in mode.
    m_state.Registry.reset();
    const QString table = TemplateStore::templateTable(className, templateName);
    if (Status s = TemplateStore(m_state.DbConnection).ReadTemplate(table, m_state.Registry); !s)
        return Status::failure(QStringLiteral("opening %1: %2").arg(table, s.message), 3);
    Result<BillTemplate> t = BillTemplate::fromRegistry(m_state.Registry);
    if (!t)
        return Status::failure(QStringLiteral("opening %1: %2").arg(table, t.message()), 3);
    // A template without rows opens as an empty bill, as in the window.
    t.value().setTable(table);
    m_document.setTemplate(t.value());
    return {};
}

Status FillSession::enter(const QString &key, const QString &value)
{
    return entry::enter(m_document, key, value);
}

QByteArray FillSession::json(const QString &templateName) const
{
    QByteArray out = "{\"template\": " + jsonString(templateName) + ", \"fields\": [";
    bool first = true;
    for (const TemplateField &f : m_document.billTemplate().fields()) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"key\": " + jsonString(f.key) + ", \"kind\": " + QByteArray::number(int(f.kind))
               + ", \"text\": " + jsonString(m_document.text(f.key)) + "}";
    }
    return out + "]}\n";
}

} // namespace cli
