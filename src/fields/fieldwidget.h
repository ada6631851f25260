#pragma once
// What the text, label, check and date fields have in common: one inner
// control stretched over the field, the field's size in twips, the mouse and
// key events of the field's own surface (used by design mode), and the
// switch between a live field and an inert one.
#include <QPlainTextEdit>
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

// Multi-line plain text box without border or scroll bars, used inside the
// text and date fields. A maximum length above 0 stops typing and pasting
// beyond it; text set by the program is not cut.
class FieldTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit FieldTextBox(QWidget *parent = nullptr);

    void setMaxLength(int length) { m_maxLength = length < 0 ? 0 : length; }
    int maxLength() const { return m_maxLength; }
    void setAcceptsReturn(bool on) { m_acceptsReturn = on; }

    // The text as the box lays it out in its font at the given width in
    // pixels: one entry per displayed line, soft wraps included; one empty
    // entry for an empty box.
    QStringList displayedLines(int width) const;

signals:
    // A key with a character goes down, before the box takes it.
    void characterKey(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    int roomFor(int selectedLength) const;

    int m_maxLength = 0;
    bool m_acceptsReturn = true;
};

class FieldWidget : public QWidget
{
    Q_OBJECT
public:
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

private:
    QWidget *m_inner = nullptr;
    bool m_live = true;
};
