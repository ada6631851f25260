#pragma once
// Opening a template on the bill surface and clearing it again: every field
// record of the registry becomes a control of its kind at its stored place,
// each with a selection frame that shows only in design mode.
#include "core/result.h"
#include "core/templatestore.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class BillSurface;
class FieldWidget;
class QWidget;
struct AppState;
struct FieldControls;
struct TemplateField;

namespace opening {

// The field key kept on every field control and selection frame.
QString controlTag(const QWidget *control);
void setControlTag(QWidget *control, const QString &key);
// A field control's place in twips relative to the bill surface.
QRect controlTwips(const QWidget *control);
void setControlTwips(QWidget *control, const QRect &twips, double scale = 1.0);

} // namespace opening

class BillOpener {
public:
    // lastStatus().error when the template's table is not in the database.
    static constexpr int TemplateGone = TemplateStore::TemplateMissing;

    // `frameHost` holds selection frame 0 and every control 0 while no
    // template is open (the main window's client area).
    BillOpener(AppState &state, FieldControls &controls, BillSurface *surface, QWidget *frameHost);

    // Called for every control element newly created while opening, so the
    // window can connect its events with the index bound.
    std::function<void(int kind, int index, QWidget *control)> controlCreated;
    std::function<void(int slot, QWidget *frame)> frameCreated;

    // Opens the template table for design (design non-zero) or filling in:
    // the registry and the bill document take the template, and every field
    // gets a control bound to the document. A missing table or an unreadable
    // value ends the opening: the controls made so far stay and the surface
    // stays hidden. Returns 0; why it stopped is in lastStatus().
    int ReadAddCtl(const QString &table, int design);
    // Hides the surface, destroys every control and frame but element 0 and
    // resets the elements 0. The registry is left alone. Returns 0.
    int UnloadCtl();

    // The registry changed (design mode): the document takes the template
    // anew and the record at `slot` is applied to its frame and control
    // again (creating them when missing), in the look of the current mode.
    bool applyRecord(int slot);
    // The document takes the registry's template anew; false (and the
    // reason in lastStatus()) when it cannot be read.
    bool refreshTemplate();
    // The field control of a kind and control index, or nullptr.
    FieldWidget *control(int kind, int index) const;
    // The Tab order of the bill: the fields a clerk types into, top to
    // bottom and left to right; fields only the rules fill are no stops.
    void orderTabStops();
    // The first Tab stop of the open bill, or nullptr.
    QWidget *firstTabStop() const { return m_stops.isEmpty() ? nullptr : m_stops.first().data(); }
    // The last Tab stop of the open bill, or nullptr.
    QWidget *lastTabStop() const { return m_stops.isEmpty() ? nullptr : m_stops.last().data(); }

    // Every selection frame hidden, index 0 up.
    void hideFrames();
    // Every field control enabled or disabled, label, check, date, text, money.
    void enableFields(bool enabled);
    // Controls 0 and frame 0 back onto the frame host (before the surface goes).
    void parkElementsZero();

    // Why the last opening stopped early; ok when it went through.
    const Status &lastStatus() const { return m_status; }
    QString lastError() const { return m_status.message; }

    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }

private:
    bool applyBill(int slot, const QString &key, bool design);
    bool applyField(const TemplateField &field, bool design);
    FieldWidget *controlFor(int kind, int index);
    QWidget *frameFor(int slot);
    bool fail(const Status &status);

    AppState &m_state;
    FieldControls &m_controls;
    BillSurface *m_surface;
    QWidget *m_frameHost;
    double m_scale = 1.0;
    Status m_status;
    QList<QPointer<QWidget>> m_stops; // the Tab stops in their order
};
