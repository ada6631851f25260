// The template row reader on any rows, as a template table could hold them
// (one row a line: key, property number, name and value, split by tabs):
// the rows go into the field registry as the store reads them and the
// template is read from the registry. Never a crash; a template that is
// read keeps every place, size and money column within its bounds.
#include "core/billtemplate.h"
#include "core/fieldregistry.h"
#include "fuzzcommon.h"

#include <QMap>

namespace {

void checkBounds(const BillTemplate &t)
{
    const int max = BillTemplate::MaxTwips;
    for (const std::optional<int> &side : {t.width(), t.height()})
        fuzz::check(!side || (*side >= -max && *side <= max), QStringLiteral("a bill size beyond the bounds"));
    for (const TemplateField &f : t.fields()) {
        const QRect &r = f.rect;
        for (const int v : {r.left(), r.top(), r.width(), r.height()})
            fuzz::check(v >= -max && v <= max, QStringLiteral("field %1 at %2 beyond the bounds").arg(f.key).arg(v));
        fuzz::check(f.columns.count >= 1 && f.columns.count <= 18,
                    QStringLiteral("field %1 with %2 columns").arg(f.key).arg(f.columns.count));
        for (const int x : f.columns.printPositions())
            fuzz::check(x >= -2 * max && x <= 2 * max, QStringLiteral("field %1 with a column at %2").arg(f.key).arg(x));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 16384)
        return 0;
    // Rows grouped by key in key order, as the store's query returns them.
    QMap<QString, PropertyList> fields;
    for (const QString &line : fuzz::text(data, size).split(u'\n')) {
        const QStringList cells = line.split(u'\t');
        if (cells.size() < 2)
            continue;
        fields[cells.at(0)].append({qint16(cells.at(1).toInt()), cells.value(2), cells.value(3)});
    }
    FieldRegistry registry;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (!findEntry(it.value(), 0) || !FieldKey::parse(it.key()))
            continue;
        if (registry.RegistryCtl(it.key(), it.value(), 0, FieldRegistry::Add))
            return 0;
    }
    const Result<BillTemplate> t = BillTemplate::fromRegistry(registry);
    fuzz::check(t.ok() || !t.message().isEmpty(), QStringLiteral("refused without a message"));
    if (t)
        checkBounds(*t);
    return 0;
}
