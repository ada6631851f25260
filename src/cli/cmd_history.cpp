// billprint history: the bill register of one template, newest first, as
// JSON, as the CSV file the history window exports, or into an Excel
// workbook.
#include "commandline.h"
#include "headless.h"
#include "core/billregister.h"
#include "core/database.h"
#include "core/registerxlsx.h"
#include "fillsession.h"
#include "options.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace cli {

namespace {

const QString HistoryUsage = QStringLiteral(
    "usage: billprint history --template CLASS/TEMPLATE [--db PATH] [--from DATE] [--to DATE]\n"
    "                         [--csv | --xlsx FILE]\n");

int usage(const QString &why)
{
    err(QStringLiteral("billprint history: %1\n").arg(why) + HistoryUsage);
    return ExitUsage;
}

// "2026-12-08" or "20261208"; an invalid date for anything else.
QDate dateOption(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{8}$"));
    if (digits.match(text).hasMatch())
        return QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return QDate::fromString(text, Qt::ISODate);
}

// The rows into the workbook, one at a time; a summary line on success.
int writeWorkbook(const QString &name, const BillTemplate &t, const QList<billregister::Entry> &rows,
                  const QString &path)
{
    billregister::XlsxExport book(t);
    Status s = book.begin(path);
    for (qsizetype i = 0; s && i < rows.size(); ++i)
        s = book.add(rows.at(i));
    if (s)
        s = book.finish();
    if (!s) {
        err(QStringLiteral("billprint: %1\n").arg(s.message));
        return ExitCannotOpen;
    }
    const QJsonObject summary{{QStringLiteral("template"), name},
                              {QStringLiteral("rows"), book.rows()},
                              {QStringLiteral("xlsx"), path}};
    out(QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return ExitOk;
}

int listRegister(AppState &state, const QString &name, const billregister::Filter &filter, bool asCsv,
                 const QString &xlsx)
{
    FillSession session(state);
    if (Status s = session.open(name); !s) {
        err(QStringLiteral("billprint: cannot open the template: %1\n").arg(s.message));
        return ExitCannotOpen;
    }
    const BillTemplate &t = session.document().billTemplate();
    const Result<QList<billregister::Entry>> rows =
        billregister::Register(state.DbConnection, t.table()).rows(t, filter);
    if (!rows) {
        err(QStringLiteral("billprint: cannot read the register: %1\n").arg(rows.message()));
        return ExitCannotOpen;
    }
    if (!xlsx.isEmpty())
        return writeWorkbook(name, t, *rows, xlsx);
    const QByteArray text = asCsv ? billregister::csv(t, *rows) : billregister::json(name, t, *rows);
    out(QString::fromUtf8(asCsv ? text.mid(3) : text));
    return ExitOk;
}

} // namespace

int runHistory(const QStringList &args)
{
    const Options o = parseOptions(args,
                                   {QStringLiteral("template"), QStringLiteral("db"), QStringLiteral("from"),
                                    QStringLiteral("to"), QStringLiteral("xlsx")},
                                   {QStringLiteral("csv")});
    if (!o.error.isEmpty())
        return usage(o.error);
    if (!o.words.isEmpty())
        return usage(QStringLiteral("unexpected argument \"%1\"").arg(o.words.first()));
    if (o.has(QStringLiteral("xlsx")) && o.value(QStringLiteral("xlsx")).isEmpty())
        return usage(QStringLiteral("--xlsx needs a file name"));
    if (o.has(QStringLiteral("xlsx")) && o.has(QStringLiteral("csv")))
        return usage(QStringLiteral("give --csv or --xlsx, not both"));
    const QString name = o.value(QStringLiteral("template"));
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == name.size() - 1)
        return usage(QStringLiteral("--template CLASS/TEMPLATE is required"));
    billregister::Filter filter;
    for (const QString &option : {QStringLiteral("from"), QStringLiteral("to")}) {
        if (!o.has(option))
            continue;
        const QDate d = dateOption(o.value(option));
        if (!d.isValid())
            return usage(QStringLiteral("--%1 needs a date such as 2026-12-08, not \"%2\"").arg(option, o.value(option)));
        (option == QLatin1String("from") ? filter.from : filter.to) = d;
    }

    const HeadlessApp app;

    AppState state;
    if (!openDatabaseFor(state, o.value(QStringLiteral("db")), QStringLiteral("billprint")))
        return ExitCannotOpen;
    const int status =
        listRegister(state, name, filter, o.has(QStringLiteral("csv")), o.value(QStringLiteral("xlsx")));
    CloseDatabase(state);
    return status;
}

} // namespace cli
