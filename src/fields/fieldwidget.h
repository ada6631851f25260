#pragma once
// What the text, label, check and date fields have in common: one inner
// control stretched over the field, the field's size in twips, the mouse and
// key events of the field's own surface (used by design mode), and the
// switch between a live field and an inert one.
#include "core/billdocument.h"
#include "fields/fieldtextbox.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QKeyEvent;

namespace fields {

// A 32-bit colour value, red in the low byte. Values with the high bit set
// name a system colour by index (0x80000005 the window background,
// 0x80000008 the window text), taken from the application palette.
QColor oleColor(quint32 value);

// Mouse buttons as 1 left, 2 right, 4 middle (added together for a move).
qint16 buttonCode(Qt::MouseButtons buttons);
// Modifier keys as 1 Shift, 2 Ctrl, 4 Alt (added together).
qint16 shiftCode(Qt::KeyboardModifiers modifiers);
// The key as a virtual-key code: letters and digits their upper-case
// character, 8 Backspace, 13 Enter, 37 to 40 the arrow keys, 46 Delete,
// 96 to 105 the keypad digits, 112 on the function keys; 0 when unknown.
qint16 keyCode(const QKeyEvent *event);

// The horizontal alignment named by "左", "中" or "右"; nothing for any
// other text.
std::optional<Qt::Alignment> textAlignOf(const QString &text);

} // namespace fields

class BillDocument;
struct TemplateField;

// Every field control: a view of one field of a bill document. It shows the
// field's value and turns the user's keys and clicks into edits of the
// document; the document's change notifications bring the value back. A
// control that is not bound to a document keeps its value itself.
class FieldWidget : public QWidget
{
    Q_OBJECT
public:
    // Shows the field with this key of the document from now on (nullptr:
    // stand alone). The value is shown at once.
    void bind(BillDocument *document, const QString &key);
    BillDocument *document() const { return m_document; }
    QString fieldKey() const { return m_key; }

    // Takes the look the template asks for: caption, fonts, colours, lengths
    // and, for a money field, its columns. Place and size are the opener's.
    virtual void applyField(const TemplateField &field) = 0;
    // Live for filling in, inert in design mode.
    virtual void UserEnabled(bool enabled) = 0;
    // The field's value into the control; called when the document says the
    // value changed.
    virtual void showValue() = 0;

    // The widget that takes the keys when the field is a Tab stop.
    virtual QWidget *keyboardTarget() const { return m_inner ? m_inner : const_cast<FieldWidget *>(this); }
    // A field the rules fill with an amount takes no typing while the bill
    // is filled in (its text can still be selected and copied).
    virtual void lockTyping(bool locked) { Q_UNUSED(locked); }

    // Marks the field as one that cannot print as it stands (a text longer
    // than its box, an amount too long for its columns, a date that does not
    // exist): a red edge and corner over the field, the message as its tip.
    // An empty message takes the mark away.
    void setProblem(const QString &message);
    QString problem() const { return m_problem; }

    // Pixels per screen pixel at 100 % (1.0) for fonts and columns.
    void setScale(double scale) { m_scale = scale; }
    double scale() const { return m_scale; }

    // The field's width and height in twips (also before it is shown).
    QSize FieldSize() const;
    // False while the field is inert (design mode): its inner control is
    // disabled and the field's own surface gets the mouse and the keys.
    bool isLive() const { return m_live; }

signals:
    // Button and Shift as buttonCode/shiftCode; x and y in twips of the
    // field's own surface.
    void MouseDown(qint16 button, qint16 shift, int x, int y);
    void MouseMove(qint16 button, qint16 shift, int x, int y);
    void MouseUp(qint16 button, qint16 shift, int x, int y);
    void KeyDown(qint16 keyCode, qint16 shift);

protected:
    explicit FieldWidget(QWidget *parent);

    void setInner(QWidget *inner);
    QWidget *inner() const { return m_inner; }
    // Enables or disables the inner control; a disabled one lets the mouse
    // through to the field and hands the focus to it.
    void setLive(bool live);

    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // True while this control writes its own edit into the document, so
    // that the change coming back does not disturb the caret.
    bool m_writing = false;

private:
    QWidget *m_inner = nullptr;
    bool m_live = true;
    QPointer<BillDocument> m_document;
    QString m_key;
    QMetaObject::Connection m_valueConnection;
    double m_scale = 1.0;
    QString m_problem;
    QWidget *m_mark = nullptr;
};

namespace fields {

// The font a field is shown in: the printing face at the field's printed
// size, scaled for the screen, without hinting so that widths follow the
// paper's.
QFont screenFont(int sizePoints, double scale);

} // namespace fields
