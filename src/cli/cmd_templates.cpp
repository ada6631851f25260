#include "commandline.h"

namespace cli {
int runTemplates(const QStringList &) { return ExitOk; }
int runFill(const QStringList &) { err(QStringLiteral("billprint: \"fill\" is not available yet\n")); return ExitUsage; }
int runWindow(int, char *[], const QStringList &) { return ExitOk; }
}
