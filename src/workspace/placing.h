#pragma once
// Placing new fields on the bill surface with the tool box's field tools,
// and deleting fields, in design mode. A new field takes its default
// properties from its kind's group of interface texts ("cLabel", "cCheck",
// "cDate", "cText", "cMoney"; "cBill" for the surface) and lands exactly in
// the rectangle drawn; a deletion closes the gap in the numbering of
// frames, controls and registry records.
#include "core/fieldregistry.h"

#include <QRect>
#include <QString>
#include <functional>

class DesignMode;

class Placing {
public:
    explicit Placing(DesignMode &design);

    // The interface-text group of a kind's default properties; empty for a
    // code that is no field kind.
    static QString groupOf(int kind);
    // The basis for numbering a new field of `kind`: empty for an empty
    // registry; else the highest slot U with the control index of the
    // highest-slotted field of that kind ("UUUKKNNN"), or U alone ("UUU")
    // when there is none.
    static QString LastKeyOfKind(const FieldRegistry &registry, int kind);
    // The key a new field of `kind` gets: slot one above the highest, control
    // index one above that of the highest-slotted field of its kind, or 0.
    static QString newKey(const FieldRegistry &registry, int kind);

    // Adds (adcYN non-zero) the field `adcKey` in the rectangle DrawRect, or
    // deletes it (adcYN 0). adcN names a bill surface being added. Returns 0
    // or an error number; nothing is placed when the defaults cannot be read.
    int AddDelCtl(QString &adcKey, int adcYN, QString &adcN);
    // The surface's cursor (0 arrow, 2 cross-hair), dotted drawing, cleared.
    int BillDrawLine(int cmsV);
    // The release of a rubber band drawn with a field tool: places the field
    // and returns the tool box to the pointer.
    void PlaceOnRelease(int x, int y);
    // Deletes the current field after the user confirms; the bill surface
    // itself is never deleted. True when a field was deleted.
    bool DeleteCurrent();

    // Asks the user; the default shows a question box. Tests replace it.
    std::function<bool(const QString &question)> confirm;

    // Why the last AddDelCtl failed, for the log and tests.
    QString lastError() const { return m_lastError; }

private:
    // Where a field drawn as `drawn` goes: a click (nothing to take hold of)
    // gives the kind's default size from `defaults`; no side is below 2 mm
    // and the field lies on the bill.
    QRect fieldPlace(const QRect &drawn, const PropertyList &defaults) const;
    int addField(const QString &key);
    int deleteField(const QString &key);
    int fail(int error, const QString &message);

    DesignMode &m_design;
    QString m_lastError;
};
