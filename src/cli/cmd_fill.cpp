// billprint fill: opens a template for filling in without showing a window,
// enters the given values as a user would, lets the filling-in rules run and
// prints what every field shows as JSON (or the filled bill into a PDF, which
// the bill register records).
#include "commandline.h"
#include "headless.h"
#include "core/billregister.h"
#include "core/calibration.h"
#include "core/database.h"
#include "core/pdfoutput.h"
#include "fillsession.h"
#include "options.h"

#include <QGuiApplication>
#include <QPair>

namespace cli {

namespace {

const QString FillUsage = QStringLiteral(
    "usage: billprint fill --template CLASS/TEMPLATE [--db PATH] [--set KEY=VALUE]... [--pdf OUT.pdf [--calibrated]]\n");

int usage(const QString &why)
{
    err(QStringLiteral("billprint fill: %1\n").arg(why) + FillUsage);
    return ExitUsage;
}

// "KEY=VALUE" split at the first "="; false when there is no "=" or no key.
bool splitSetting(const QString &setting, QPair<QString, QString> &kv)
{
    const qsizetype eq = setting.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    kv = {setting.left(eq), setting.mid(eq + 1)};
    return true;
}

// Opens the template, enters the settings, prints the PDF when asked and
// the JSON; returns the exit status.
int fillAndPrint(AppState &state, const QString &name, const QList<QPair<QString, QString>> &settings,
                 const Options &o)
{
    FillSession session(state);
    if (Status s = session.open(name); !s) {
        err(QStringLiteral("billprint: cannot open the template: %1\n").arg(s.message));
        return ExitCannotOpen;
    }
    for (const auto &[key, value] : settings) {
        const Status entered = session.enter(key, value);
        if (entered.error == ExitCannotPrint) {
            err(QStringLiteral("billprint: the bill cannot be printed as filled: %1\n").arg(entered.message));
            return ExitCannotPrint;
        }
        if (!entered)
            return usage(entered.message);
    }
    if (o.has(QStringLiteral("pdf"))) {
        // Never a page the window would refuse: every problem is named.
        const QList<BillProblem> problems = session.document().problems();
        if (!problems.isEmpty()) {
            for (const BillProblem &p : problems)
                err(QStringLiteral("billprint: the bill cannot be printed as filled: field %1: %2\n")
                        .arg(p.key, p.message));
            return ExitCannotPrint;
        }
        // Only when asked: the calibration stored for the PDF choice.
        const QTransform calibration =
            o.has(QStringLiteral("calibrated"))
                ? CalibrationStore(state.DbConnection).inForce(calibration::pdfPrinterName()).transform()
                : QTransform();
        const Status printed = PrintItemsToPdf(BuildPrintItems(session.document()),
                                               o.value(QStringLiteral("pdf")), calibration);
        if (!printed) {
            err(QStringLiteral("billprint: cannot print the bill: %1\n").arg(printed.message));
            return ExitCannotOpen;
        }
        const BillDocument &doc = session.document();
        const Status recorded = billregister::Register(state.DbConnection, doc.billTemplate().table())
                                    .record(doc, {calibration::pdfPrinterName(), 1});
        if (!recorded) {
            err(QStringLiteral("billprint: the PDF was written but the bill was not recorded in the register: %1\n")
                    .arg(recorded.message));
            return ExitCannotOpen;
        }
    }
    out(QString::fromUtf8(session.json(name)));
    return ExitOk;
}

} // namespace

int runFill(const QStringList &args)
{
    const Options o = parseOptions(args, {QStringLiteral("template"), QStringLiteral("db"),
                                          QStringLiteral("set"), QStringLiteral("pdf")},
                                   {QStringLiteral("calibrated")});
    if (!o.error.isEmpty())
        return usage(o.error);
    if (!o.words.isEmpty())
        return usage(QStringLiteral("unexpected argument \"%1\"").arg(o.words.first()));
    const QString name = o.value(QStringLiteral("template"));
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == name.size() - 1)
        return usage(QStringLiteral("--template CLASS/TEMPLATE is required"));
    QList<QPair<QString, QString>> settings;
    for (const QString &s : o.values.value(QStringLiteral("set"))) {
        QPair<QString, QString> kv;
        if (!splitSetting(s, kv))
            return usage(QStringLiteral("--set needs KEY=VALUE, not \"%1\"").arg(s));
        settings << kv;
    }
    if (o.has(QStringLiteral("pdf")) && o.value(QStringLiteral("pdf")).isEmpty())
        return usage(QStringLiteral("--pdf needs a file name"));
    if (o.has(QStringLiteral("calibrated")) && !o.has(QStringLiteral("pdf")))
        return usage(QStringLiteral("--calibrated needs --pdf"));

    const HeadlessApp app;

    AppState state;
    if (!openDatabaseFor(state, o.value(QStringLiteral("db")), QStringLiteral("billprint")))
        return ExitCannotOpen;
    const int status = fillAndPrint(state, name, settings, o);
    CloseDatabase(state);
    return status;
}

} // namespace cli
