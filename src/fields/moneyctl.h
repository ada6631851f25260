#pragma once
// The money field: a strip of single-digit columns under the printed unit
// boxes of a bill (亿 千 百 十 万 千 百 十 元 角 分), separated by thin bars.
// Digits are typed column by column; the field gives its amount as digits,
// as Chinese financial numerals and as English words. In its single-box
// style one wide column takes the whole amount, point included.
//
// Lengths are twips. Mouse positions in the signals are twips within the
// field (MouseDown/MouseMove/MouseUp) or within the column (TMouseUp);
// Button and Shift are masks (1 left, 2 right, 4 middle; 1 Shift, 2 Ctrl,
// 4 Alt) and key codes are Windows virtual-key codes (13 Enter, 37..40
// arrows, 48..57 digits, 96..105 keypad digits).
//
// Typing: a digit is taken when its key goes down and the caret moves on to
// the next column; Backspace empties the column (or, in an empty column, the
// one before it), so it corrects the last digit typed. A pasted amount
// ("1234.56", "1,234.56", "¥1234.56") fills the columns right-aligned. When
// the field is entered with Tab it takes the whole amount as a clerk types
// it (digits, a point, Backspace) and shows it right-aligned, yuan in 元 and
// fen in 分; a click on a column types column by column.
#include "fields/fieldwidget.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;

class MoneyCtl : public FieldWidget {
    Q_OBJECT
public:
    explicit MoneyCtl(QWidget *parent = nullptr);
    ~MoneyCtl() override;

    // Contents
    QStringList UserGetMoneyText() const;
    void UserSetMoneyText(const QStringList &texts);
    QString UserGetMoneyNumber() const;
    QString UserGetMoneyToChinese(QString *error = nullptr) const;
    QString UserGetMoneyToEnglish() const;
    int UserGetMoneyFengID(const QString &unit) const;
    void UserMoneyClear();

    // Columns
    QList<int> UserGetMoneyColX() const;
    void UserMoneyColX(const QList<int> &positions);
    int UserGetMoneyCount() const;
    bool UserSetMoneyCount(int count, QString *error = nullptr);
    void UserMoneyStartBit(const QString &unit);
    void UserSetMoneyStyle(int style);
    void UserMoneyWidth(int width);
    void UserMoneySameSpace(bool same);
    void UserMoneyLineMove();
    void MoneyLineReload();

    // Looks
    void UserFontColor(qint64 color);
    void UserFontSize(int points);
    void UserChrLen(int length);
    void UserLineShow(bool show);
    void UserLineWidth(int width);
    void UserLineColor(qint64 color);
    void UserBackColor(qint64 color);
    void UserToolTip(const QString &text);

    // Input
    void UserEnabled(bool enabled) override;
    void lockTyping(bool locked) override { m_typingLocked = locked; }
    void UserEdit(bool edit);

    // The view of a bill document's money field: its columns from the
    // template, its digits from the document.
    void applyField(const TemplateField &field) override;
    void showValue() override;

    // Typing rules of column `column` for key `keyCode` going down in it;
    // true when the key was taken.
    bool HandleColumnKey(int column, int keyCode);
    // Enters an amount as a clerk writes it into the columns, right-aligned
    // (a single box takes it as written). False, with the reason, when it is
    // not an amount or has more digits than the columns.
    bool enterAmount(const QString &text, QString *why = nullptr);
    QWidget *keyboardTarget() const override;
    // True while the field takes the whole amount (entered with Tab).
    bool isAmountTyping() const { return m_amountTyping; }
    // Gives column `column` the focus, caret at the start or end of its text;
    // a hidden column passes the focus to the next visible one.
    void FocusColumn(int column, bool atEnd);

    // The field's own size in twips. Resizing the widget in pixels updates it
    // too; setting it here keeps fractions of a pixel exact.
    void setFieldSizeTwips(double width, double height);
    QSizeF fieldSizeTwips() const;

    // State, for the workspace, printing and tests.
    int StyleCode() const { return m_styleCode; }
    bool SameSpacing() const { return m_sameSpacing; }
    bool EditMode() const { return m_editMode; }
    bool Dragging() const { return m_dragging; }
    int ColumnWidth() const { return m_columnWidth; }
    int SeparatorWidth() const { return m_separatorWidth; }
    QList<int> SeparatorX() const { return m_separatorX; }
    int columnLeft(int column) const { return m_columnLeft.value(column); }
    int separatorLeft(int separator) const { return m_separatorLeft.value(separator); }
    QLineEdit *TxtCol(int column) const { return m_txtCol.value(column); }
    QLabel *LbCol(int separator) const { return m_lbCol.value(separator); }

signals:
    void TMouseUp(qint16 Button, qint16 Shift, int X, int Y);
    void TChange();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QLineEdit *newColumn();
    QLabel *newSeparator();
    void UnloadColumns();
    void LoadColumns();
    void rereadColumnTexts();
    void syncFieldSize() const;
    void placeColumn(int column);
    void placeSeparator(int separator);
    void onColumnEdited(QLineEdit *column);
    bool columnMouse(int column, QEvent *event);
    void dragColumnTo(int column, int wanted);
    bool columnKey(int column, QKeyEvent *event);
    bool amountKey(QKeyEvent *event);
    static bool editsColumn(const QKeyEvent *event);
    void pasteInto();
    void refuse(const QString &why);
    void setColumnsText(const QStringList &texts);
    bool singleBox() const;

    QList<QLineEdit *> m_txtCol; // TxtCol: the digit columns
    QList<QLabel *> m_lbCol;     // LbCol: the separator bars
    int m_columnCount = 1;
    QList<int> m_columnX;
    QList<int> m_separatorX;
    QStringList m_columnText;
    QList<int> m_columnLeft;    // where each column stands now (twips)
    QList<int> m_separatorLeft; // where each separator stands now (twips)
    int m_columnWidth = 567;
    int m_separatorWidth = 28;
    mutable double m_fieldWidth = 567; // FieldSize, kept in step with the widget
    mutable double m_fieldHeight = 567;
    int m_styleCode = 0;
    bool m_sameSpacing = false;
    bool m_editMode = false;
    bool m_typingLocked = false; // the rules fill the columns
    bool m_dragging = false;

    // Properties every column and separator shares, also given to new ones.
    int m_chrLen = 1;
    QFont m_font;
    QColor m_fontColor = Qt::black;
    QColor m_backColor = Qt::white;
    QColor m_lineColor = Qt::black;
    bool m_inputEnabled = true;
    bool m_byColumns = false;    // a highest unit is set: the amount goes column by column
    bool m_amountTyping = false; // entered with Tab: the whole amount is typed
    bool m_replaceOnType = false;
    QString m_amountText;        // the amount as typed in that way
    QString m_lastNumber;        // what TChange last announced
};
