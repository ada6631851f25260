#include "core/fieldregistry.h"

#include <QHash>

bool isFieldKind(int kind)
{
    return kind == KindBill || (kind >= KindLabel && kind <= KindMoney);
}

bool isLinkKey(int key)
{
    return key == 12 || key == 13 || key == 26;
}

const PropertyEntry *findEntry(const PropertyList &list, int key)
{
    for (const PropertyEntry &e : list)
        if (e.key == key)
            return &e;
    return nullptr;
}

QString entryValue(const PropertyList &list, int key)
{
    const PropertyEntry *e = findEntry(list, key);
    return e ? e->value : QString();
}

const PropertyList &FieldRecord::props() const
{
    static const PropertyList none;
    return (kind >= 0 && kind < int(lists.size())) ? lists[kind] : none;
}

PropertyList &FieldRecord::props()
{
    // Records of an out-of-range kind use the bill's list slot rather than
    // reading past the array.
    return lists[(kind >= 0 && kind < int(lists.size())) ? kind : 0];
}

std::optional<FieldKey> FieldKey::parse(const QString &key)
{
    if (key.size() != 8)
        return std::nullopt;
    for (QChar c : key)
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
    FieldKey k;
    k.slot = key.left(3).toInt();
    k.kind = key.mid(3, 2).toInt();
    k.index = key.right(3).toInt();
    return k;
}

QString FieldKey::make(int slot, int kind, int index)
{
    return QStringLiteral("%1%2%3")
        .arg(slot, 3, 10, QLatin1Char('0'))
        .arg(kind, 2, 10, QLatin1Char('0'))
        .arg(index, 3, 10, QLatin1Char('0'));
}

QString FieldRegistry::keyOf(int slot) const
{
    const FieldRecord &r = m_records.at(slot);
    return FieldKey::make(slot, r.kind, r.index);
}

int FieldRegistry::slotOf(int kind, int index) const
{
    for (int s = 0; s < count(); ++s)
        if (m_records[s].kind == kind && m_records[s].index == index)
            return s;
    return -1;
}

int FieldRegistry::RegistryCtl(const QString &key, const PropertyList &entries, int flag, int mode)
{
    if (mode == Clear)
        return clear();
    if (mode != Remove && mode != Update && mode != Add)
        return Ok;
    const std::optional<FieldKey> k = FieldKey::parse(key);
    if (!k)
        return ErrType;
    switch (mode) {
    case Remove: return remove(*k);
    case Update: return update(*k, entries, flag);
    default: return add(*k, entries, flag);
    }
}

int FieldRegistry::add(const FieldKey &k, const PropertyList &entries, int flag)
{
    // A slot beyond the end grows the registry to it, also when the registry
    // is empty, so that a placed field always has its record.
    while (count() <= k.slot)
        m_records.append(FieldRecord{});
    FieldRecord &r = m_records[k.slot];
    r.kind = qint16(k.kind);
    r.index = qint16(k.index);
    r.selected = qint16(flag);
    if (!entries.isEmpty() && isFieldKind(k.kind))
        r.lists[k.kind] = entries;
    return Ok;
}

int FieldRegistry::remove(const FieldKey &k)
{
    if (isEmpty())
        return Ok;
    if (k.slot >= count())
        return ErrSubscript;
    // Every later field moves down a slot (and, of the same kind, down a
    // control index), so its key changes. Links name fields by key: they
    // are rewritten to the new keys, and links to the removed field are
    // emptied, so that no link comes to name another field.
    QHash<QString, QString> renamed;
    for (int s = k.slot; s < count(); ++s)
        renamed.insert(keyOf(s), QString());
    for (int s = k.slot + 1; s < count(); ++s)
        if (m_records[s].kind == k.kind)
            --m_records[s].index;
    m_records.removeAt(k.slot);
    for (int s = k.slot; s < count(); ++s) {
        const FieldRecord &r = m_records.at(s);
        renamed[FieldKey::make(s + 1, r.kind, r.kind == k.kind ? r.index + 1 : r.index)] = keyOf(s);
    }
    for (FieldRecord &r : m_records)
        for (PropertyEntry &e : r.props()) {
            if (!isLinkKey(e.key))
                continue;
            const auto to = renamed.constFind(e.value.trimmed());
            if (to != renamed.constEnd())
                e.value = *to;
        }
    return Ok;
}

bool FieldRegistry::setEntry(int slot, int key, const QString &name, const QString &value)
{
    if (slot < 0 || slot >= count() || !isFieldKind(m_records[slot].kind))
        return false;
    PropertyList &list = m_records[slot].props();
    for (PropertyEntry &e : list)
        if (e.key == key) {
            e.value = value;
            return true;
        }
    qsizetype at = 0;
    while (at < list.size() && list.at(at).key < key)
        ++at;
    list.insert(at, PropertyEntry{qint16(key), name, value});
    return true;
}

int FieldRegistry::update(const FieldKey &k, const PropertyList &entries, int flag)
{
    if (entries.isEmpty())
        return Ok;
    if (k.slot >= count())
        return ErrSubscript;
    FieldRecord &r = m_records[k.slot];
    r.selected = qint16(flag);
    PropertyList &list = r.props();
    for (const PropertyEntry &given : entries) {
        for (PropertyEntry &e : list) {
            if (e.key == given.key) {
                e.value = given.value;
                break;
            }
        }
    }
    return Ok;
}

int FieldRegistry::clear()
{
    m_records.clear();
    return Ok;
}
