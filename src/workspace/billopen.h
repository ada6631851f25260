#pragma once
// Opening a template on the bill surface and clearing it again: every field
// record of the registry becomes a control of its kind at its stored place,
// each with a selection frame that shows only in design mode.
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class BillSurface;
class QWidget;
struct AppState;
struct FieldControls;
struct FieldRecord;

namespace opening {

// Strict conversion of a whole property text (positions and sizes): the
// trimmed text must be a number; it is rounded to whole twips, halves to
// even. nullopt for anything else, empty text included.
std::optional<int> strictWhole(const QString &text);
// The number the text starts with (blanks skipped), 0 when there is none:
// "12pt" gives 12, "abc" 0, "-3.5e1x" -35.
double leadingNumber(const QString &text);
// A colour property: the leading number as a 32-bit colour value, negative
// values naming system colours as their unsigned bit pattern.
quint32 colorValue(const QString &text);

// The field key kept on every field control and selection frame.
QString controlTag(const QWidget *control);
void setControlTag(QWidget *control, const QString &key);
// A field control's place in twips relative to the bill surface.
QRect controlTwips(const QWidget *control);
void setControlTwips(QWidget *control, const QRect &twips, double scale = 1.0);

} // namespace opening

class BillOpener {
public:
    // `frameHost` holds selection frame 0 and every control 0 while no
    // template is open (the main window's client area).
    BillOpener(AppState &state, FieldControls &controls, BillSurface *surface, QWidget *frameHost);

    // Called for every control element newly created while opening, so the
    // window can connect its events with the index bound.
    std::function<void(int kind, int index, QWidget *control)> controlCreated;
    std::function<void(int slot, QWidget *frame)> frameCreated;

    // Opens the template table for design (design non-zero) or filling in.
    // A missing table or an unreadable value ends the opening: the controls
    // made so far stay and the surface stays hidden. Returns 0.
    int ReadAddCtl(const QString &table, int design);
    // Hides the surface, destroys every control and frame but element 0 and
    // resets the elements 0. The registry is left alone. Returns 0.
    int UnloadCtl();

    // Applies the registry record at `slot` to its frame and control again
    // (creating them when missing), in the look of the current mode: used
    // when design mode adds a field or renumbers the fields after a removal.
    bool applyRecord(int slot);

    // Every selection frame hidden, index 0 up.
    void hideFrames();
    // Every field control enabled or disabled, label, check, date, text, money.
    void enableFields(bool enabled);
    // Controls 0 and frame 0 back onto the frame host (before the surface goes).
    void parkElementsZero();

    // Why the last opening stopped early; empty when it went through.
    QString lastError() const { return m_lastError; }

    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }

private:
    bool applyBill(int slot, const QString &key, const FieldRecord &record, bool design);
    bool applyField(int slot, const QString &key, const FieldRecord &record, bool design);
    QWidget *controlFor(int kind, int index);
    QWidget *frameFor(int slot);
    bool fail(const QString &message);

    AppState &m_state;
    FieldControls &m_controls;
    BillSurface *m_surface;
    QWidget *m_frameHost;
    double m_scale = 1.0;
    QString m_lastError;
};
