// billprint fill: opens a template for filling in without showing a window,
// enters the given values as a user would, lets the filling-in rules run and
// prints what every field shows as JSON (or the filled bill into a PDF).
#include "core/database.h"
#include "commandline.h"
#include "fillsession.h"
#include "options.h"
#include "print/calibration.h"
#include "print/printersettings.h"
#include "print/printread.h"

#include <QApplication>
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

    // The same widgets as the window, none of them shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep stderr for this command's own messages, not the platform's chatter.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    int argc = 1;
    char program[] = "billprint";
    char *argv[] = {program, nullptr};
    QApplication app(argc, argv);

    AppState state;
    StartUp(state, o.value(QStringLiteral("db")), QCoreApplication::applicationDirPath());
    if (state.DbConnection.isEmpty()) {
        err(QStringLiteral("billprint: cannot open the database: %1\n").arg(state.DatabaseError));
        return ExitCannotOpen;
    }
    int status = ExitOk;
    {
        FillSession session(state);
        QString why;
        if (!session.open(name, why)) {
            err(QStringLiteral("billprint: cannot open the template: %1\n").arg(why));
            status = ExitCannotOpen;
        }
        for (int i = 0; status == ExitOk && i < settings.size(); ++i) {
            if (!session.enter(settings.at(i).first, settings.at(i).second, why))
                status = usage(why);
        }
        if (status == ExitOk && o.has(QStringLiteral("pdf"))) {
            // Only when asked: the calibration stored for the PDF choice.
            const QTransform calibration =
                o.has(QStringLiteral("calibrated"))
                    ? CalibrationStore(state.DbConnection).inForce(PrinterSettings::PdfChoice()).transform()
                    : QTransform();
            const PrintStatus printed = PrintBillToPdf(state.Registry, session.controls(),
                                                       o.value(QStringLiteral("pdf")), calibration);
            if (!printed.ok()) {
                err(QStringLiteral("billprint: cannot print the bill: %1\n").arg(printed.description));
                status = 1; // a failure of its own, neither usage nor opening
            }
        }
        if (status == ExitOk)
            out(QString::fromUtf8(session.json(name)));
    }
    CloseDatabase(state);
    return status;
}

} // namespace cli
