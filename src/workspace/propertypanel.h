#pragma once
// The property panel: a pane docked beside the bill in design mode that
// shows the current field's properties and edits them. Positions and sizes
// are shown and typed in millimetres to 0.1 mm and stored as exact twips
// (an unchanged text changes nothing); links name fields by their names;
// date styles are chosen from a list showing today's date in each style.
// Every edit is one undo step and shows on the surface at once; a value
// that cannot be taken is refused with a message under the properties.
#include <QDockWidget>
#include <QHash>
#include <QList>
#include <functional>

class DesignMode;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
struct FieldRecord;

class PropertyPanel : public QDockWidget {
    Q_OBJECT
public:
    // Creates the panel docked at the right of the design mode's window.
    static PropertyPanel *attach(DesignMode &design);
    PropertyPanel(DesignMode &design, QWidget *parent);

    // The name an entry gets when a field lacks the property.
    static QString propertyName(int kind, int key);

    // The slot whose field is shown, -1 for none.
    int slot() const { return m_slot; }
    // The message of the last value refused, empty once a value is taken.
    QString refusal() const;
    // The editor of property `key` shown for the current field (for the
    // date style and amount display code, the one of the field's kind).
    QWidget *editor(int key) const;
    // Shows the current field again.
    void refresh();

    // Asks for a colour, starting from `initial`; an invalid colour when
    // the user cancels. The default shows the colour dialog.
    std::function<QColor(const QColor &initial, const QString &title)> chooseColour;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Editor { Line, Combo, Check, Colour };
    struct Row {
        int key;
        Editor type;
        QWidget *editor;
        QList<int> kinds;
    };

    QWidget *addRow(int key, Editor type, const QString &name, const QList<int> &kinds);
    void fill(const Row &row, const FieldRecord &record);
    void fillCombo(const Row &row, const FieldRecord &record);
    QString labelFor(int key, int kind) const;

    void lineEdited(int key, QLineEdit *edit);
    void comboChosen(int key, QComboBox *combo);
    void checkClicked(int key, QCheckBox *box);
    void colourClicked(int key, QPushButton *button);
    // Sets the values as one step (merging with the step before it when
    // both carry the same merge id); false for no field.
    bool apply(QList<QPair<int, QString>> values, const QString &what, int merge = -1);
    void refuse(const QString &message, QLineEdit *edit);
    QString valueOfLine(int key, const QString &text, QString &refusal) const;

    DesignMode &m_design;
    QFormLayout *m_form = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_refusal = nullptr;
    QLabel *m_dateExample = nullptr;
    QList<Row> m_rows;
    QHash<QWidget *, QString> m_shown; // the text each line edit was given
    int m_slot = -1;
    bool m_filling = false;
};
