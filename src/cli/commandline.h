#pragma once
#include <QStringList>

namespace cli {

// Exit statuses of the subcommands.
enum Exit { ExitOk = 0, ExitUsage = 2, ExitCannotOpen = 3, ExitCannotPrint = 4 };

// Entry point of the program: the window without arguments, or one of the
// subcommands. Returns the process exit status.
int run(int argc, char *argv[]);

// Subcommands; args are the words after the subcommand's name.
int runWords(const QStringList &args);
int runDate(const QStringList &args);
int runTemplates(const QStringList &args);
// template export CLASS/TEMPLATE FILE | template import FILE [--as CLASS/TEMPLATE]
int runTemplate(const QStringList &args);
int runFill(const QStringList &args);
// batch --template CLASS/TEMPLATE --csv FILE [--pdf OUT.pdf | --printer NAME] ...
int runBatch(const QStringList &args);
// history --template CLASS/TEMPLATE [--from DATE] [--to DATE] [--csv]
int runHistory(const QStringList &args);
// The window on the database at dbPath (empty: the usual places).
int runWindow(int argc, char *argv[], const QString &dbPath);

// Output helpers: UTF-8 on stdout and stderr.
void out(const QString &text);
void err(const QString &text);

} // namespace cli
