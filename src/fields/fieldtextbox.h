#pragma once
// The plain text box inside the text and date fields: no border, no scroll
// bars, no margin, and no wrapping of its own. Where a text field's lines
// break is decided once for screen and paper (the bill document breaks them
// in the printing font); the box shows those breaks as soft line breaks
// (U+2028) that are not part of the text: they are kept out of what the box
// gives as its text, of copies to the clipboard and of the length limit.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

class QMimeData;

class FieldTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit FieldTextBox(QWidget *parent = nullptr);

    // The text without the soft breaks (hard breaks as '\n').
    QString text() const;
    // Replaces the text (soft breaks are shown again by showLines).
    void setText(const QString &text);
    // Shows the text broken into these lines: soft breaks go in where a
    // line ends without a '\n' of its own. The lines must be the box's text
    // broken; the caret keeps its place in the text.
    void showLines(const QStringList &lines);

    // A maximum length above 0 stops typing and pasting beyond it, counted
    // in characters as people see them; text set by the program is not cut.
    void setMaxLength(int length) { m_maxLength = length < 0 ? 0 : length; }
    int maxLength() const { return m_maxLength; }
    // Without it Return moves to the next field instead of breaking the line.
    void setAcceptsReturn(bool on) { m_acceptsReturn = on; }
    bool acceptsReturn() const { return m_acceptsReturn; }

    static constexpr QChar SoftBreak = QChar(0x2028);

signals:
    // A key with a character goes down, before the box takes it.
    void characterKey(const QString &text);
    // The text changed by the user or by setText (soft breaks do not count).
    void textEdited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    int roomFor(const QString &selected) const;
    void onContentsChanged();
    // The box's content as the document holds it: block breaks as '\n',
    // soft breaks as SoftBreak.
    QString content() const;

    int m_maxLength = 0;
    bool m_acceptsReturn = true;
    bool m_adjusting = false;
    QString m_lastText;
};

// The one-line box of the date field: a plain line edit without border or
// margins. Like FieldTextBox it reports every character key before taking
// it, limits typing (not text set by the program) to a maximum length, and
// Return moves on to the next field.
class FieldLineBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit FieldLineBox(QWidget *parent = nullptr);

    void setText(const QString &text);
    void setMaxLength(int length) { m_maxLength = length < 0 ? 0 : length; }
    int maxLength() const { return m_maxLength; }

signals:
    void characterKey(const QString &text);
    // The text changed by the user or by setText.
    void textEdited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    int room() const;
    int m_maxLength = 0;
};
