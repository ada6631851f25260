#include "workspace/designundo.h"

#include "core/appstate.h"
#include "workspace/designmode.h"
#include "workspace/mdimain.h"

namespace {

bool sameField(const FieldRecord &a, const FieldRecord &b)
{
    return a.kind == b.kind && a.index == b.index && a.props() == b.props();
}

// One design change: the registry's records before and after it.
class RecordsStep : public QUndoCommand {
public:
    RecordsStep(DesignHistory &history, QList<FieldRecord> before, QList<FieldRecord> after, QList<int> changed,
                const QString &text, int merge, int run)
        : QUndoCommand(text), m_history(history), m_before(std::move(before)), m_after(std::move(after)),
          m_changed(std::move(changed)), m_merge(merge), m_run(run)
    {
    }

    int id() const override { return m_merge; }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *o = static_cast<const RecordsStep *>(other);
        if (o->m_run != m_run || o->m_changed != m_changed || !DesignHistory::sameShape(m_after, o->m_before))
            return false;
        m_after = o->m_after;
        setObsolete(DesignHistory::changedSlots(m_before, m_after).isEmpty());
        return true;
    }

    // The change is on the surface already when the step is recorded.
    void redo() override
    {
        if (m_recorded)
            m_history.restore(m_after, m_changed);
        m_recorded = true;
    }
    void undo() override { m_history.restore(m_before, m_changed); }

private:
    DesignHistory &m_history;
    QList<FieldRecord> m_before;
    QList<FieldRecord> m_after;
    QList<int> m_changed;
    int m_merge;
    int m_run;
    bool m_recorded = false;
};

} // namespace

DesignHistory::DesignHistory(DesignMode &design) : m_design(design)
{
    m_stack.setUndoLimit(500);
}

bool DesignHistory::sameShape(const QList<FieldRecord> &a, const QList<FieldRecord> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype s = 0; s < a.size(); ++s)
        if (a.at(s).kind != b.at(s).kind || a.at(s).index != b.at(s).index)
            return false;
    return true;
}

QList<int> DesignHistory::changedSlots(const QList<FieldRecord> &a, const QList<FieldRecord> &b)
{
    QList<int> found;
    const qsizetype n = qMin(a.size(), b.size());
    const bool shape = sameShape(a, b);
    for (qsizetype s = 0; s < n; ++s)
        if (!sameField(a.at(s), b.at(s))) {
            found << int(s);
            if (!shape)
                return found;
        }
    if (!shape && found.isEmpty())
        found << int(n);
    return found;
}

void DesignHistory::reset()
{
    m_stack.clear();
    m_stack.setClean();
    m_base = m_design.state().Registry.records();
    ++m_run;
}

bool DesignHistory::commit(const QString &text, int merge)
{
    const QList<FieldRecord> now = m_design.state().Registry.records();
    const QList<int> found = changedSlots(m_base, now);
    if (found.isEmpty())
        return false;
    QList<FieldRecord> before = m_base;
    m_base = now;
    m_stack.push(new RecordsStep(*this, std::move(before), now, found, text, merge, m_run));
    emit changed();
    return true;
}

bool DesignHistory::isModified() const
{
    return !m_stack.isClean() || !changedSlots(m_base, m_design.state().Registry.records()).isEmpty();
}

void DesignHistory::markSaved()
{
    commit(QStringLiteral("修改"));
    m_stack.setClean();
}

void DesignHistory::undo()
{
    commit(QStringLiteral("修改"));
    m_stack.undo();
    ++m_run;
}

void DesignHistory::redo()
{
    commit(QStringLiteral("修改"));
    m_stack.redo();
    ++m_run;
}

void DesignHistory::restore(const QList<FieldRecord> &records, const QList<int> &touched)
{
    FieldRegistry &reg = m_design.state().Registry;
    if (sameShape(reg.records(), records)) {
        // The same fields: only the changed ones take their old properties;
        // selection flags stay as the designer left them.
        for (int s : touched)
            reg.at(s).lists = records.at(s).lists;
        m_design.showRecords(touched);
    } else {
        reg.reset();
        for (qsizetype s = 0; s < records.size(); ++s) {
            const FieldRecord &r = records.at(s);
            reg.RegistryCtl(FieldKey::make(int(s), r.kind, r.index), r.props(), 0, FieldRegistry::Add);
        }
        m_design.showAllRecords();
    }
    m_base = reg.records();
    m_design.selectSlots(touched);
    emit changed();
}
