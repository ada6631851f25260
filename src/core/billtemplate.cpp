#include "core/billtemplate.h"

#include "core/moneylayout.h"
#include "core/propvalue.h"

#include <QCoreApplication>

namespace {

// Largest font size a print item holds.
constexpr int MaxFontSize = 32767;

bool sideBySide(const QList<int> &leftmostFirst)
{
    for (qsizetype i = 1; i < leftmostFirst.size(); ++i)
        if (leftmostFirst.at(i) <= leftmostFirst.at(i - 1))
            return false;
    return true;
}

// First entry of each key wins, as every reader of a property list does.
template <class F>
void forFirstEntries(const PropertyList &props, F &&f)
{
    QList<int> seen;
    for (const PropertyEntry &e : props) {
        if (e.key < prop::FirstColumn) {
            if (seen.contains(e.key))
                continue;
            seen.append(e.key);
        }
        f(e);
    }
}

QString tooFar(const QString &what, const QString &value)
{
    return QStringLiteral("%1的值“%2”不是有效的位置或尺寸（应为 ±%3 缇以内的整数）")
        .arg(what, value.left(60))
        .arg(BillTemplate::MaxTwips);
}

std::optional<int> geometry(const QString &value)
{
    const std::optional<int> v = propvalue::strictWhole(value);
    if (!v || *v > BillTemplate::MaxTwips || *v < -BillTemplate::MaxTwips)
        return std::nullopt;
    return v;
}

} // namespace

QList<int> MoneyColumns::printPositions() const
{
    if (!stored.isEmpty())
        return stored;
    if (sideBySide(columnX))
        return QList<int>(columnX.crbegin(), columnX.crend());
    return {};
}

MoneyColumns readMoneyColumns(const PropertyList &props, int fieldWidth)
{
    MoneyColumns m;
    // Applied in list order, as the field takes them: the highest unit sets
    // the column count and puts every column back at 0. Even spacing, or the
    // stored positions, follow once every key is read.
    m.columnX = {0};
    m.separatorX = {0};
    forFirstEntries(props, [&m](const PropertyEntry &e) {
        switch (e.key) {
        case prop::LineWidth: m.separatorWidth = propvalue::whole(e.value); break;
        case prop::LineColour: m.lineColour = propvalue::colour(e.value); break;
        case prop::StartUnit: {
            const int position = int(moneylayout::UnitNames().indexOf(e.value));
            if (position >= 0)
                m.count = position + 1;
            m.columnX = QList<int>(m.count, 0);
            m.separatorX = QList<int>(m.count, 0);
            break;
        }
        case prop::ColumnWidth: m.columnWidth = propvalue::whole(e.value); break;
        case prop::Draggable: m.draggable = propvalue::isYes(e.value); break;
        case prop::SameSpacing: m.sameSpacing = propvalue::isYes(e.value); break;
        default:
            if (e.key >= prop::FirstColumn)
                m.stored.append(propvalue::whole(e.value));
            break;
        }
    });
    if (m.sameSpacing) {
        const moneylayout::Spacing s =
            moneylayout::evenSpacing(m.count, fieldWidth, m.columnWidth, m.separatorWidth);
        m.columnX = s.columnX;
        m.separatorX = s.separatorX;
    } else if (!m.stored.isEmpty()) {
        // Stored positions are handed over the last one first.
        const QList<int> given(m.stored.crbegin(), m.stored.crend());
        for (qsizetype i = 0; i < given.size() && i < m.columnX.size(); ++i)
            m.columnX[i] = given.at(i);
        const QList<int> bars = moneylayout::separatorsBetween(m.columnX, m.columnWidth, m.separatorWidth);
        for (qsizetype i = 0; i < bars.size() && i < m.separatorX.size(); ++i)
            m.separatorX[i] = bars.at(i);
    }
    return m;
}

namespace {

Status readBill(const FieldRecord &record, QString &name, std::optional<int> &width,
                std::optional<int> &height, std::optional<quint32> &background)
{
    Status status;
    forFirstEntries(record.props(), [&](const PropertyEntry &e) {
        if (!status.ok())
            return;
        switch (e.key) {
        case prop::Name: name = e.value; break;
        case prop::Width:
        case prop::Height: {
            const std::optional<int> v = geometry(e.value);
            if (!v || *v < 0) {
                status = Status::failure(tooFar(e.key == prop::Width ? QStringLiteral("票据宽度")
                                                                     : QStringLiteral("票据高度"),
                                                e.value));
                return;
            }
            (e.key == prop::Width ? width : height) = *v;
            break;
        }
        case prop::BackColour: background = propvalue::colour(e.value); break;
        default: break;
        }
    });
    return status;
}

void readText(const PropertyEntry &e, TemplateField &f)
{
    switch (e.key) {
    case prop::Code: f.code = e.value; break;
    case prop::Source: f.source = e.value; break;
    case prop::Previous: f.previous = e.value; break;
    case prop::Prefix: f.prefix = e.value; break;
    case prop::Suffix: f.suffix = e.value; break;
    case prop::Factor1: f.factor1 = e.value; break;
    case prop::Factor2: f.factor2 = e.value; break;
    case prop::SumTarget: f.sumTarget = e.value; break;
    case prop::SignUnit: f.signUnit = e.value; break;
    case prop::Sign: f.sign = e.value; break;
    case prop::StartUnit: f.startUnit = e.value; break;
    default: break;
    }
}

// The money columns' widths and stored positions keep to the bounds of any
// place or size, so that laying the columns out cannot overflow.
Status checkMoneyLengths(const PropertyList &props, const QString &key, const QString &name)
{
    for (const PropertyEntry &e : props) {
        if (e.key != prop::LineWidth && e.key != prop::ColumnWidth && e.key < prop::FirstColumn)
            continue;
        const double v = propvalue::leadingNumber(e.value);
        if (!(v >= -BillTemplate::MaxTwips && v <= BillTemplate::MaxTwips))
            return Status::failure(QStringLiteral("字段 %1（%2）：%3")
                                       .arg(key, name.left(60), tooFar(QStringLiteral("金额栏位"), e.value)));
    }
    return {};
}

Status readField(const FieldRecord &record, const QString &key, TemplateField &f)
{
    Status status;
    bool hasLeft = false;
    bool hasTop = false;
    forFirstEntries(record.props(), [&](const PropertyEntry &e) {
        if (!status.ok() || e.key >= prop::FirstColumn)
            return;
        switch (e.key) {
        case prop::Name: f.name = e.value; break;
        case prop::Left:
        case prop::Top:
        case prop::Width:
        case prop::Height: {
            const std::optional<int> v = geometry(e.value);
            if (!v || (*v < 0 && (e.key == prop::Width || e.key == prop::Height))) {
                status = Status::failure(QStringLiteral("字段 %1（%2）：%3")
                                             .arg(key, f.name.left(60), tooFar(QStringLiteral("位置"), e.value)));
                return;
            }
            if (e.key == prop::Left) { f.rect.moveLeft(*v); hasLeft = true; }
            else if (e.key == prop::Top) { f.rect.moveTop(*v); hasTop = true; }
            else if (e.key == prop::Width) f.rect.setWidth(*v);
            else f.rect.setHeight(*v);
            break;
        }
        case prop::FontSize: {
            const double size = propvalue::leadingNumber(e.value);
            if (size >= 0.5)
                f.fontSize = std::min(propvalue::whole(e.value), MaxFontSize);
            break;
        }
        case prop::CharLength:
            f.charLength = propvalue::whole(e.value);
            f.hasCharLength = true;
            break;
        case prop::FontColour: f.fontColour = propvalue::colour(e.value); break;
        case prop::BackColour: f.backColour = propvalue::colour(e.value); break;
        case prop::TextAlign: f.textAlign = e.value; break;
        default: readText(e, f); break;
        }
    });
    f.placed = hasLeft && hasTop;
    // Emptied after printing when any of its key-31 entries says "是"; not
    // printed when a key-30 entry does.
    for (const PropertyEntry &e : record.props()) {
        if (e.key == prop::EmptyAfterPrint && propvalue::isYes(e.value))
            f.emptyAfterPrint = true;
        if (e.key == prop::NotPrinted && propvalue::isYes(e.value))
            f.notPrinted = true;
    }
    if (f.kind == KindMoney && status.ok())
        status = checkMoneyLengths(record.props(), key, f.name);
    if (f.kind == KindMoney && status.ok())
        f.columns = readMoneyColumns(record.props(), f.rect.width());
    return status;
}

} // namespace

Result<BillTemplate> BillTemplate::fromRegistry(const FieldRegistry &registry)
{
    BillTemplate t;
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &record = registry.at(slot);
        if (record.props().isEmpty())
            continue;
        if (record.kind == KindBill) {
            t.m_hasBill = true;
            if (Status s = readBill(record, t.m_name, t.m_width, t.m_height, t.m_background); !s)
                return s;
            continue;
        }
        if (record.kind < KindLabel || record.kind > KindMoney)
            continue;
        TemplateField f;
        f.slot = slot;
        f.kind = FieldKind(record.kind);
        f.index = record.index;
        f.key = registry.keyOf(slot);
        if (Status s = readField(record, f.key, f); !s)
            return s;
        t.m_fields.append(f);
    }
    t.buildLookups();
    return t;
}

namespace {

// The (kind, control index) a sum's target text names, as "00108002" names
// kind 8, index 2.
std::optional<QPair<int, int>> namedControl(const OptText &target)
{
    const QString t = target ? target->trimmed() : QString();
    if (t.size() != 8)
        return std::nullopt;
    return QPair<int, int>(t.mid(3, 2).toInt(), t.right(3).toInt());
}

} // namespace

void BillTemplate::buildLookups()
{
    m_byKey.clear();
    m_bySlot.clear();
    m_sumTargets.clear();
    m_byKey.reserve(m_fields.size());
    m_bySlot.reserve(m_fields.size());
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const TemplateField &f = m_fields.at(i);
        if (!m_byKey.contains(f.key))
            m_byKey.insert(f.key, int(i));
        if (!m_bySlot.contains(f.slot))
            m_bySlot.insert(f.slot, int(i));
        if (const std::optional<QPair<int, int>> target = namedControl(f.sumTarget))
            m_sumTargets.insert(*target);
    }
}

const TemplateField *BillTemplate::field(const QString &key) const
{
    const int i = indexOfKey(key);
    return i < 0 ? nullptr : &m_fields.at(i);
}

bool BillTemplate::showsAmount(const TemplateField &f) const
{
    if (f.kind != KindText && f.kind != KindMoney)
        return false;
    const QString source = f.source ? f.source->trimmed() : QString();
    if (f.kind == KindMoney && !source.isEmpty())
        return true;
    if (f.kind == KindText && source.size() == 8 && source.mid(3, 2) == QLatin1String("08"))
        return true;
    // A sum target is named by its kind and control index.
    return m_sumTargets.contains({int(f.kind), f.index});
}

const TemplateField *BillTemplate::atSlot(int slot) const
{
    const auto it = m_bySlot.constFind(slot);
    return it == m_bySlot.cend() ? nullptr : &m_fields.at(*it);
}

int BillTemplate::indexOfKey(const QString &key) const
{
    return m_byKey.value(key, -1);
}
