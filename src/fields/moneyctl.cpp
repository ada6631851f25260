#include "fields/moneyctl.h"
#include "core/billdocument.h"
#include "core/moneylayout.h"
#include "core/moneyvalue.h"
#include "core/units.h"
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>

namespace {

const QString WholeAmountTip = QStringLiteral("金额");

} // namespace

MoneyCtl::MoneyCtl(QWidget *parent)
    : FieldWidget(parent)
{
    // A stop of its own in the Tab order: entered with Tab it takes the
    // whole amount; its columns are reached with the mouse.
    setFocusPolicy(Qt::StrongFocus);
    resize(units::twipsToPixels(qRound(m_fieldWidth)), units::twipsToPixels(qRound(m_fieldHeight)));
    m_font = font();
    m_txtCol.append(newColumn());
    m_lbCol.append(newSeparator());
    m_columnLeft = {0};
    m_separatorLeft = {0};
    LoadColumns();
    UserMoneySameSpace(m_sameSpacing);
    UserMoneyLineMove();
}

MoneyCtl::~MoneyCtl()
{
    for (QLineEdit *column : std::as_const(m_txtCol)) {
        column->removeEventFilter(this);
        column->disconnect(this);
    }
}

QLineEdit *MoneyCtl::newColumn()
{
    auto *column = new QLineEdit(this);
    column->hide();
    column->setFrame(false);
    column->setAlignment(Qt::AlignCenter);
    column->setFont(m_font);
    QPalette p = column->palette();
    p.setColor(QPalette::Text, m_fontColor);
    p.setColor(QPalette::Base, m_backColor);
    column->setPalette(p);
    column->setMaxLength(m_chrLen > 0 ? m_chrLen : 32767);
    column->setReadOnly(m_editMode);
    column->setCursor(m_editMode ? Qt::SizeHorCursor : Qt::IBeamCursor);
    column->setEnabled(m_inputEnabled);
    column->setFocusPolicy(Qt::ClickFocus);
    column->setContextMenuPolicy(Qt::NoContextMenu);
    column->installEventFilter(this);
    connect(column, &QLineEdit::textChanged, this, [this, column] { onColumnEdited(column); });
    return column;
}

QLabel *MoneyCtl::newSeparator()
{
    auto *bar = new QLabel(this);
    bar->hide();
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, m_lineColor);
    bar->setPalette(p);
    bar->setEnabled(m_inputEnabled);
    return bar;
}

void MoneyCtl::onColumnEdited(QLineEdit *column)
{
    const int index = int(m_txtCol.indexOf(column));
    if (index < 0)
        return;
    if (BillDocument *doc = document()) {
        doc->setColumn(fieldKey(), index, column->text());
        return; // the document announces the change; showValue follows
    }
    if (index < m_columnText.size())
        m_columnText[index] = column->text();
    emit TChange();
}

bool MoneyCtl::singleBox() const
{
    return m_styleCode == 1 || (m_columnCount == 1 && !m_byColumns);
}

void MoneyCtl::showValue()
{
    const BillDocument *doc = document();
    if (!doc)
        return;
    const QString key = fieldKey();
    const QStringList texts = doc->columns(key);
    for (int i = 0; i < m_txtCol.size(); ++i) {
        QLineEdit *column = m_txtCol.at(i);
        if (column->text() != texts.value(i)) {
            const QSignalBlocker quiet(column);
            column->setText(texts.value(i));
        }
        if (i < m_columnText.size())
            m_columnText[i] = texts.value(i);
    }
    const QString over = doc->overflowOf(key);
    if (!over.isEmpty())
        setProblem(QStringLiteral("金额 %1 超出了这一栏的 %2 位，无法打印").arg(over).arg(m_columnCount));
    else if (!doc->amount(key))
        setProblem(QStringLiteral("这不是金额：%1").arg(texts.value(0)));
    else
        setProblem(QString());
    // Every change of the columns is announced, as typing into one does.
    emit TChange();
}

void MoneyCtl::applyField(const TemplateField &f)
{
    const MoneyColumns &c = f.columns;
    UserFontSize(f.printSize());
    if (f.hasCharLength)
        UserChrLen(f.charLength);
    if (f.fontColour)
        UserFontColor(*f.fontColour);
    if (f.backColour)
        UserBackColor(*f.backColour);
    UserLineColor(c.lineColour);
    m_byColumns = f.byColumns();
    m_columnCount = c.count;
    UnloadColumns();
    LoadColumns();
    m_columnWidth = c.columnWidth;
    m_separatorWidth = c.separatorWidth;
    m_sameSpacing = c.sameSpacing;
    m_columnX = c.columnX;
    m_separatorX = c.separatorX;
    m_editMode = c.draggable;
    for (QLineEdit *column : std::as_const(m_txtCol)) {
        column->setReadOnly(m_editMode);
        column->setCursor(m_editMode ? Qt::SizeHorCursor : Qt::IBeamCursor);
    }
    // A single box takes its amount in its one column, also from Tab.
    setFocusProxy(singleBox() ? m_txtCol.at(0) : nullptr);
    m_txtCol.at(0)->setFocusPolicy(singleBox() ? Qt::StrongFocus : Qt::ClickFocus);
    UserMoneyLineMove();
    showValue();
}

// ---- Contents -------------------------------------------------------------

QStringList MoneyCtl::UserGetMoneyText() const
{
    return m_columnText.mid(0, m_columnCount);
}

void MoneyCtl::UserSetMoneyText(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    if (BillDocument *doc = document()) {
        doc->setColumns(fieldKey(), texts);
        return;
    }
    // Columns beyond the given texts are emptied rather than read past the end.
    for (int i = 0; i < m_txtCol.size(); ++i) {
        m_txtCol.at(i)->setText(texts.value(i));
        if (i < m_columnText.size()) // the column may have cut the text to its length
            m_columnText[i] = m_txtCol.at(i)->text();
    }
}

QString MoneyCtl::UserGetMoneyNumber() const
{
    QStringList texts;
    for (const QLineEdit *column : m_txtCol)
        texts << column->text();
    return money::number(texts);
}

QString MoneyCtl::UserGetMoneyToChinese(QString *error) const
{
    QStringList texts;
    for (const QLineEdit *column : m_txtCol)
        texts << column->text();
    return money::chinese(texts, singleBox(), error);
}

QString MoneyCtl::UserGetMoneyToEnglish() const
{
    QStringList texts;
    for (const QLineEdit *column : m_txtCol)
        texts << column->text();
    return money::english(texts, singleBox());
}

int MoneyCtl::UserGetMoneyFengID(const QString &unit) const
{
    return moneylayout::columnOfUnit(unit, m_columnCount);
}

void MoneyCtl::UserMoneyClear()
{
    if (BillDocument *doc = document()) {
        doc->setColumns(fieldKey(), {});
        return;
    }
    for (QLineEdit *column : std::as_const(m_txtCol))
        column->clear();
}

// ---- Columns --------------------------------------------------------------

QList<int> MoneyCtl::UserGetMoneyColX() const
{
    return m_columnX;
}

void MoneyCtl::UserMoneyColX(const QList<int> &positions)
{
    // A list of another length than the columns fills what it can; the
    // other columns keep their positions.
    for (int i = 0; i < positions.size() && i < m_columnX.size(); ++i)
        m_columnX[i] = positions.at(i);
    if (m_sameSpacing) {
        UserMoneySameSpace(true);
        return;
    }
    for (int i = 0; i < m_txtCol.size(); ++i) {
        m_columnLeft[i] = m_columnX.value(i);
        QLineEdit *column = m_txtCol.at(i);
        column->move(units::twipsToPixels(m_columnLeft.at(i), scale()), column->y());
    }
    const QList<int> bars = moneylayout::separatorsBetween(m_columnX, m_columnWidth, m_separatorWidth);
    for (int i = 0; i < bars.size() && i < m_lbCol.size(); ++i) {
        m_separatorX[i] = bars.at(i);
        m_separatorLeft[i] = bars.at(i);
        placeSeparator(i);
    }
}

int MoneyCtl::UserGetMoneyCount() const
{
    return m_columnCount;
}

bool MoneyCtl::UserSetMoneyCount(int count, QString *error)
{
    if (count > moneylayout::MaxColumns) {
        if (error)
            *error = tr("A money field has at most %1 columns, not %2.")
                         .arg(moneylayout::MaxColumns).arg(count);
        return false;
    }
    m_columnCount = qMax(1, count); // 0 resets the field to its one column
    UnloadColumns();
    LoadColumns();
    UserMoneySameSpace(true);
    rereadColumnTexts();
    if (error)
        error->clear();
    return true;
}

void MoneyCtl::UserMoneyStartBit(const QString &unit)
{
    const int position = int(moneylayout::UnitNames().indexOf(unit));
    if (position >= 0) {
        m_columnCount = position + 1;
        m_byColumns = true;
    }
    UnloadColumns();
    LoadColumns();
    rereadColumnTexts();
}

void MoneyCtl::UserSetMoneyStyle(int style)
{
    m_styleCode = style;
    if (style == 1) {
        syncFieldSize();
        m_columnX[0] = 0;
        m_columnWidth = int(units::roundHalfEven(m_fieldWidth));
    }
    UserMoneyLineMove();
}

void MoneyCtl::UserMoneyWidth(int width)
{
    m_columnWidth = width;
    for (QLineEdit *column : std::as_const(m_txtCol))
        column->resize(units::twipsToPixels(width, scale()), column->height());
}

void MoneyCtl::UserMoneySameSpace(bool same)
{
    m_sameSpacing = same;
    if (same) {
        syncFieldSize();
        const moneylayout::Spacing s = moneylayout::evenSpacing(
            m_columnCount, m_fieldWidth, m_columnWidth, m_separatorWidth);
        m_columnX = s.columnX;
        m_separatorX = s.separatorX;
    }
    UserMoneyLineMove();
}

void MoneyCtl::UserMoneyLineMove()
{
    for (int i = 0; i < m_txtCol.size(); ++i) {
        m_columnLeft[i] = m_columnX.value(i);
        placeColumn(i);
    }
    for (int i = 0; i < m_lbCol.size(); ++i) {
        m_separatorLeft[i] = m_separatorX.value(i);
        placeSeparator(i);
    }
}

void MoneyCtl::MoneyLineReload()
{
    UnloadColumns();
    LoadColumns();
    UserMoneySameSpace(m_sameSpacing);
}

void MoneyCtl::placeColumn(int column)
{
    QLineEdit *c = m_txtCol.at(column);
    c->setGeometry(units::twipsToPixels(m_columnLeft.at(column), scale()), 0,
                   units::twipsToPixels(m_columnWidth, scale()), height());
    c->show();
}

void MoneyCtl::placeSeparator(int separator)
{
    QLabel *bar = m_lbCol.at(separator);
    bar->setGeometry(units::twipsToPixels(m_separatorLeft.at(separator), scale()), 0,
                     units::twipsToPixels(m_separatorWidth, scale()), height());
    bar->show();
    bar->raise();
}

// Separators from the highest down to 1 are removed, then the columns.
void MoneyCtl::UnloadColumns()
{
    for (auto i = m_lbCol.size() - 1; i >= 1; --i) {
        QLabel *bar = m_lbCol.takeAt(i);
        bar->hide();
        bar->deleteLater();
    }
    for (auto i = m_txtCol.size() - 1; i >= 1; --i) {
        QLineEdit *column = m_txtCol.takeAt(i);
        column->removeEventFilter(this);
        column->disconnect(this);
        column->hide();
        column->deleteLater(); // may be inside its own key handler
    }
    m_columnLeft.resize(1);
    m_separatorLeft.resize(1);
    m_dragging = false;
}

void MoneyCtl::LoadColumns()
{
    m_columnX = {0};
    m_columnText = {QString()};
    m_separatorX = {0};
    m_txtCol.at(0)->clear();
    if (m_columnCount < 2) {
        m_txtCol.at(0)->setToolTip(WholeAmountTip);
        m_lbCol.at(0)->setToolTip(WholeAmountTip);
        return;
    }
    const int n = m_columnCount;
    m_columnX.resize(n);
    m_columnText.resize(n);
    m_separatorX.resize(n);
    m_txtCol.at(0)->setToolTip(moneylayout::unitOfColumn(0, n));
    for (int i = 1; i < n; ++i) {
        QLineEdit *column = newColumn();
        column->setToolTip(moneylayout::unitOfColumn(i, n));
        m_txtCol.append(column);
        m_columnLeft.append(m_columnLeft.at(0));
    }
    m_lbCol.at(0)->setToolTip(QStringLiteral("0"));
    for (int i = 1; i < n; ++i) {
        QLabel *bar = newSeparator();
        bar->setToolTip(QString::number(i));
        m_lbCol.append(bar);
        m_separatorLeft.append(m_separatorLeft.at(0));
    }
}

void MoneyCtl::rereadColumnTexts()
{
    m_columnText.resize(m_txtCol.size());
    for (int i = 0; i < m_txtCol.size(); ++i)
        m_columnText[i] = m_txtCol.at(i)->text();
}

// ---- Looks ----------------------------------------------------------------

void MoneyCtl::UserFontColor(qint64 color)
{
    m_fontColor = fields::oleColor(quint32(color));
    for (QLineEdit *column : std::as_const(m_txtCol)) {
        QPalette p = column->palette();
        p.setColor(QPalette::Text, m_fontColor);
        column->setPalette(p);
    }
}

void MoneyCtl::UserFontSize(int points)
{
    if (points <= 0)
        return;
    m_font.setPointSize(points);
    for (QLineEdit *column : std::as_const(m_txtCol))
        column->setFont(m_font);
}

void MoneyCtl::UserChrLen(int length)
{
    m_chrLen = qMax(0, length);
    for (QLineEdit *column : std::as_const(m_txtCol))
        column->setMaxLength(m_chrLen > 0 ? m_chrLen : 32767);
}

void MoneyCtl::UserLineShow(bool show)
{
    for (QLabel *bar : std::as_const(m_lbCol))
        bar->setVisible(show);
}

void MoneyCtl::UserLineWidth(int width)
{
    m_separatorWidth = width;
    for (QLabel *bar : std::as_const(m_lbCol))
        bar->resize(units::twipsToPixels(width, scale()), bar->height());
    UserMoneyLineMove();
}

void MoneyCtl::UserLineColor(qint64 color)
{
    m_lineColor = fields::oleColor(quint32(color));
    for (QLabel *bar : std::as_const(m_lbCol)) {
        QPalette p = bar->palette();
        p.setColor(QPalette::Window, m_lineColor);
        bar->setPalette(p);
    }
}

void MoneyCtl::UserBackColor(qint64 color)
{
    m_backColor = fields::oleColor(quint32(color));
    for (QLineEdit *column : std::as_const(m_txtCol)) {
        QPalette p = column->palette();
        p.setColor(QPalette::Base, m_backColor);
        column->setPalette(p);
    }
}

void MoneyCtl::UserToolTip(const QString &)
{
}

// ---- Input ----------------------------------------------------------------

void MoneyCtl::UserEnabled(bool enabled)
{
    m_inputEnabled = enabled;
    setLive(enabled);
    for (QLineEdit *column : std::as_const(m_txtCol))
        column->setEnabled(enabled);
    for (QLabel *bar : std::as_const(m_lbCol))
        bar->setEnabled(enabled);
}

void MoneyCtl::UserEdit(bool edit)
{
    m_editMode = edit;
    for (QLineEdit *column : std::as_const(m_txtCol)) {
        column->setReadOnly(edit);
        column->setCursor(edit ? Qt::SizeHorCursor : Qt::IBeamCursor);
    }
    UserEnabled(edit);
}

void MoneyCtl::FocusColumn(int column, bool atEnd)
{
    QLineEdit *c = m_txtCol.value(column);
    if (!c)
        return;
    if (c->isHidden()) {
        for (int i = column + 1; i < m_txtCol.size(); ++i) {
            if (!m_txtCol.at(i)->isHidden()) {
                m_txtCol.at(i)->setFocus();
                return;
            }
        }
        return;
    }
    c->setCursorPosition(atEnd ? int(c->text().size()) : 0);
    c->setFocus();
}

// ---- Geometry and events --------------------------------------------------

void MoneyCtl::setFieldSizeTwips(double width, double height)
{
    m_fieldWidth = width;
    m_fieldHeight = height;
    resize(units::twipsToPixels(qRound64(width), scale()), units::twipsToPixels(qRound64(height), scale()));
    UserMoneySameSpace(m_sameSpacing);
}

// Takes the size from the widget when it was resized in pixels since the
// twips size was last set.
QSizeF MoneyCtl::fieldSizeTwips() const
{
    syncFieldSize();
    return {m_fieldWidth, m_fieldHeight};
}

void MoneyCtl::syncFieldSize() const
{
    if (units::twipsToPixels(qRound64(m_fieldWidth), scale()) != width())
        m_fieldWidth = double(units::pixelsToTwips(width(), scale()));
    if (units::twipsToPixels(qRound64(m_fieldHeight), scale()) != height())
        m_fieldHeight = double(units::pixelsToTwips(height(), scale()));
}

void MoneyCtl::resizeEvent(QResizeEvent *event)
{
    FieldWidget::resizeEvent(event);
    syncFieldSize();
    // A field of a bill takes its columns from the template; one standing
    // alone spreads them again over its new width.
    if (document())
        UserMoneyLineMove();
    else
        UserMoneySameSpace(m_sameSpacing);
}

void MoneyCtl::keyPressEvent(QKeyEvent *event)
{
    if (m_amountTyping && hasFocus() && amountKey(event))
        return;
    FieldWidget::keyPressEvent(event);
}

// A key that would change a column: a character, Backspace, Delete, paste
// or cut.
bool MoneyCtl::editsColumn(const QKeyEvent *event)
{
    const QString text = event->text();
    return (!text.isEmpty() && text.at(0).isPrint()) || event->key() == Qt::Key_Backspace
           || event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste)
           || event->matches(QKeySequence::Cut);
}

bool MoneyCtl::eventFilter(QObject *watched, QEvent *event)
{
    const int column = int(m_txtCol.indexOf(qobject_cast<QLineEdit *>(watched)));
    if (column < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (m_typingLocked && editsColumn(static_cast<QKeyEvent *>(event))) {
            QApplication::beep();
            return true;
        }
        return columnKey(column, static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return columnMouse(column, event);
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// A column pressed in edit mode is dragged sideways; releasing the mouse
// over a column records its position whatever the mode.
bool MoneyCtl::columnMouse(int column, QEvent *event)
{
    auto *e = static_cast<QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonPress) {
        if (m_editMode)
            m_dragging = true;
        return m_editMode;
    }
    if (event->type() == QEvent::MouseMove) {
        if (m_dragging)
            dragColumnTo(column, m_columnLeft.at(column)
                                     + int(units::pixelsToTwips(qRound(e->position().x()), scale())));
        return m_editMode;
    }
    m_dragging = false;
    m_columnX[column] = m_columnLeft.at(column);
    emit TMouseUp(fields::buttonCode(e->button()), fields::shiftCode(e->modifiers()),
                  int(units::pixelsToTwips(qRound(e->position().x()), scale())),
                  int(units::pixelsToTwips(qRound(e->position().y()), scale())));
    return m_editMode;
}

void MoneyCtl::dragColumnTo(int column, int wanted)
{
    syncFieldSize();
    const int left = moneylayout::clampDrag(wanted, column, m_columnLeft, m_columnWidth, m_fieldWidth);
    m_columnLeft[column] = left;
    QLineEdit *c = m_txtCol.at(column);
    c->move(units::twipsToPixels(left, scale()), c->y());

    const int last = int(m_txtCol.size()) - 1;
    auto recentre = [this, last](int j) { // the separator between j and j + 1
        const double next = j + 1 <= last ? m_columnLeft.at(j + 1) : m_fieldWidth;
        m_separatorLeft[j] = moneylayout::centredSeparator(
            m_columnLeft.at(j), next, m_columnWidth, m_separatorWidth);
        QLabel *bar = m_lbCol.at(j);
        bar->move(units::twipsToPixels(m_separatorLeft.at(j), scale()), bar->y());
    };
    if (column < last || column == 0)
        recentre(column);
    if (column > 0)
        recentre(column - 1);
}
