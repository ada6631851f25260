#include "core/fieldregistry.h"

bool isFieldKind(int kind)
{
    return kind == KindBill || (kind >= KindLabel && kind <= KindMoney);
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
    for (int s = k.slot + 1; s < count(); ++s)
        if (m_records[s].kind == k.kind)
            --m_records[s].index;
    m_records.removeAt(k.slot);
    return Ok;
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
