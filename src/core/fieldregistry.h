#pragma once
// The in-memory model of the template open on the bill surface: one record
// per field (slot 0 normally holds the bill itself), each with its kind,
// control index, selection flag and property list.
#include <QList>
#include <QString>
#include <array>
#include <optional>

enum FieldKind : qint16 {
    KindBill = 0,
    KindRemoved = 1,
    KindLabel = 4,
    KindCheck = 5,
    KindDate = 6,
    KindText = 7,
    KindMoney = 8,
};

bool isFieldKind(int kind); // 0, 4, 5, 6, 7 or 8

struct PropertyEntry {
    qint16 key = 0;
    QString name;
    QString value;

    bool operator==(const PropertyEntry &) const = default;
};
using PropertyList = QList<PropertyEntry>;

// First entry with the key, or nullptr.
const PropertyEntry *findEntry(const PropertyList &list, int key);
// Value of the first entry with the key; empty when there is none.
QString entryValue(const PropertyList &list, int key);

struct FieldRecord {
    qint16 kind = 0;
    qint16 index = 0;    // control index within the kind's control set
    qint16 selected = 0; // 1 while selected in design mode
    std::array<PropertyList, 9> lists; // one list per kind; only lists[kind] is used
    // The key the field had in the store when it was read; empty for a field
    // placed since. Keys move when fields are deleted; this lets the save
    // tell which stored field became which.
    QString storedKey;

    const PropertyList &props() const;
    PropertyList &props();
    QString value(int key) const { return entryValue(props(), key); }
    bool has(int key) const { return findEntry(props(), key) != nullptr; }
};

// Property keys whose value names another field by its key: the source of a
// copy or chain (12), the chain member before (13), the sum target (26).
bool isLinkKey(int key);

// Parts of an eight-digit field key: slot (3) + kind (2) + control index (3).
struct FieldKey {
    int slot = 0;
    int kind = 0;
    int index = 0;
    static std::optional<FieldKey> parse(const QString &key);
    static QString make(int slot, int kind, int index);
    QString text() const { return make(slot, kind, index); }
};

class FieldRegistry {
public:
    enum Mode { Clear = 0, Remove = 1, Update = 2, Add = 4 };
    enum Error { Ok = 0, ErrSubscript = 9, ErrType = 13 };

    // The one operation that changes records. Returns 0 or an error number;
    // an error leaves what had changed before it.
    int RegistryCtl(const QString &key, const PropertyList &entries, int flag, int mode);

    bool isEmpty() const { return m_records.isEmpty(); }
    int count() const { return int(m_records.size()); }
    int lastSlot() const { return count() - 1; }
    const FieldRecord &at(int slot) const { return m_records.at(slot); }
    FieldRecord &at(int slot) { return m_records[slot]; }
    const QList<FieldRecord> &records() const { return m_records; }
    // Key of the record at a slot, rebuilt from its current kind and index.
    QString keyOf(int slot) const;
    // Slot of the first record with this kind and control index, or -1.
    int slotOf(int kind, int index) const;
    // Empties the registry outright (the loaders do this before every load).
    void reset() { m_records.clear(); }

    // Sets the value of property `key` of the record at `slot`, adding the
    // entry (in ascending key order, named `name`) when the record lacks it.
    // False for a slot that holds no field.
    bool setEntry(int slot, int key, const QString &name, const QString &value);

private:
    int add(const FieldKey &k, const PropertyList &entries, int flag);
    int remove(const FieldKey &k);
    int update(const FieldKey &k, const PropertyList &entries, int flag);
    int clear();

    QList<FieldRecord> m_records;
};
