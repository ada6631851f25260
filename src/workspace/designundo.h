#pragma once
// Undo and redo of design changes. Every change the designer makes (a move,
// a resize, a nudge, a field placed or deleted, a property edited) ends in
// commit(): the registry is compared with its state after the last step,
// and what differs becomes one step on the undo stack holding the records
// before and after. Undoing or redoing a step puts those records back into
// the registry and has the opener show them again; positions stay the exact
// twips they were.
#include "core/fieldregistry.h"

#include <QObject>
#include <QUndoStack>

class DesignMode;

class DesignHistory : public QObject {
    Q_OBJECT
public:
    // Steps with the same merge id, on the same fields, one right after the
    // other within one run, become one step (a run of nudges).
    // PropertyMerge + key: choices of one property from a list.
    enum Merge { NoMerge = -1, NudgeMerge = 1, PropertyMerge = 1000 };

    explicit DesignHistory(DesignMode &design);

    QUndoStack &stack() { return m_stack; }
    // A design starts (or ends): no steps, and the registry as it is now is
    // the saved state.
    void reset();
    // Records what changed in the registry since the last step as one step
    // named `text`. False when nothing changed.
    bool commit(const QString &text, int merge = NoMerge);
    // The next step begins a new run.
    void endRun() { ++m_run; }
    // True when the design differs from what was opened or last saved.
    bool isModified() const;
    // The design was saved as it stands.
    void markSaved();
    // Undo and redo; a change not yet committed is committed first.
    void undo();
    void redo();

    // Puts `records` into the registry and shows them; `touched` are the
    // slots that differ (for a step that adds or removes a field, the slot
    // where the numbering changes). Used by the steps.
    void restore(const QList<FieldRecord> &records, const QList<int> &touched);

    // Slots whose field differs between two registries (the selection flag
    // does not count); for registries of different shape the first slot
    // whose field differs, alone.
    static QList<int> changedSlots(const QList<FieldRecord> &a, const QList<FieldRecord> &b);
    static bool sameShape(const QList<FieldRecord> &a, const QList<FieldRecord> &b);

signals:
    // A step was recorded, undone or redone: the design looks different.
    void changed();

private:
    DesignMode &m_design;
    QUndoStack m_stack;
    QList<FieldRecord> m_base;
    int m_run = 0;
};
