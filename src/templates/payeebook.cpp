#include "templates/payeebook.h"

#include "core/appstate.h"
#include "core/billentry.h"
#include "core/billregister.h"
#include "fields/fieldtextbox.h"
#include "fields/textctl.h"
#include "workspace/mdimain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QStringListModel>
#include <QTimer>

namespace {

const char *const Watched = "billprintPayeeBook";

// A text field the clerk types into: not one that copies another field.
bool typedInto(const TemplateField *f)
{
    return f && f->kind == KindText && !(f->source && !f->source->trimmed().isEmpty());
}

} // namespace

PayeeBook *PayeeBook::attach(MDIMain &window)
{
    auto *b = new PayeeBook(window);
    b->setParent(&window);
    return b;
}

PayeeBook::PayeeBook(MDIMain &window) : m_win(window)
{
    m_values = new QStringListModel(this);
    m_completer = new QCompleter(m_values, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setModelSorting(QCompleter::UnsortedModel);
    m_completer->setMaxVisibleItems(10);
    m_completer->popup()->setObjectName(QStringLiteral("payeeBookPopup"));
    m_completer->popup()->installEventFilter(this);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this, &PayeeBook::chosen);
    // The fields' controls are made and bound as a bill opens.
    connect(&window.state().Bill, &BillDocument::templateChanged, this,
            [this] { QTimer::singleShot(0, this, &PayeeBook::watchFields); });
    // A field that takes the keyboard is watched from then on.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        auto *box = qobject_cast<FieldTextBox *>(now);
        auto *field = box ? qobject_cast<TextCtl *>(box->parentWidget()) : nullptr;
        if (!field || !m_win.isAncestorOf(field))
            return;
        watch(box);
        // Back from the list: the values it shows stay.
        if (old != m_completer->popup() || field != m_field)
            focused(field);
    });
}

void PayeeBook::watch(FieldTextBox *box)
{
    if (box->property(Watched).toBool())
        return;
    box->setProperty(Watched, true);
    box->installEventFilter(this);
}

void PayeeBook::watchFields()
{
    for (TextCtl *field : m_win.findChildren<TextCtl *>())
        if (FieldTextBox *box = field->TextBox())
            watch(box);
}

bool PayeeBook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_completer->popup())
        return listKey(event);
    auto *box = qobject_cast<FieldTextBox *>(watched);
    if (!box)
        return QObject::eventFilter(watched, event);
    auto *field = qobject_cast<TextCtl *>(box->parentWidget());
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::InputMethod)
        return QObject::eventFilter(watched, event);
    // The list takes the keys that choose from it.
    if (event->type() == QEvent::KeyPress && m_completer->popup()->isVisible()) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: event->ignore(); return true;
        default: break;
        }
    }
    // What the clerk typed offers its completions once the box has it.
    QPointer<TextCtl> typedIn = field;
    QTimer::singleShot(0, this, [this, typedIn] {
        if (typedIn)
            edited(typedIn);
    });
    return QObject::eventFilter(watched, event);
}

// The keys that choose from the list or close it are taken here: the
// completer would hand them to the field first, which takes Return and Tab
// to go on to the next field.
bool PayeeBook::listKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    QAbstractItemView *list = m_completer->popup();
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab: {
        const QModelIndex current = list->currentIndex();
        list->hide();
        if (current.isValid())
            chosen(current.data(m_completer->completionRole()).toString());
        return true;
    }
    case Qt::Key_Escape: list->hide(); return true;
    default: return false;
    }
}

void PayeeBook::focused(TextCtl *field)
{
    AppState &st = m_win.state();
    m_field = nullptr;
    m_values->setStringList({});
    if (!field || st.DesignMode != 0 || !st.Bill.isOpen() || !typedInto(st.Bill.field(field->fieldKey())))
        return;
    const Result<QStringList> past =
        billregister::Register(st.DbConnection, st.Bill.billTemplate().table()).pastValues(field->fieldKey());
    if (!past || past->isEmpty())
        return;
    m_field = field;
    m_values->setStringList(*past);
    m_completer->setWidget(field->TextBox());
}

void PayeeBook::edited(TextCtl *field)
{
    if (m_choosing)
        return;
    if (field != m_field)
        focused(field);
    if (field != m_field)
        return;
    const QString typed = field->TextBox()->text().trimmed();
    if (typed.isEmpty() || typed.contains(QLatin1Char('\n'))) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->setCompletionPrefix(typed);
    if (m_completer->completionCount() == 0
        || (m_completer->completionCount() == 1 && m_completer->currentCompletion() == typed)) {
        m_completer->popup()->hide();
        return;
    }
    QRect where = field->TextBox()->rect();
    where.setWidth(std::max(where.width(), 240));
    m_completer->complete(where);
}

void PayeeBook::chosen(const QString &value)
{
    AppState &st = m_win.state();
    if (!m_field || !st.Bill.isOpen())
        return;
    const QString key = m_field->fieldKey();
    m_choosing = true;
    st.Bill.setText(key, value);
    // The fields printed beside it on the newest such bill fill the empty
    // text fields; nothing the clerk typed is overwritten.
    const BillTemplate &t = st.Bill.billTemplate();
    const std::optional<billregister::Entry> past =
        billregister::Register(st.DbConnection, t.table()).latestWith(t, key, value);
    if (past)
        for (const TemplateField &f : t.fields())
            if (f.key != key && typedInto(&f) && st.Bill.text(f.key).isEmpty()
                && !past->values.value(f.key).isEmpty())
                entry::enter(st.Bill, f.key, past->values.value(f.key));
    m_choosing = false;
}
