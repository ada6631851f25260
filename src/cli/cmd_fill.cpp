#include "commandline.h"

namespace cli {
int runFill(const QStringList &)
{
    err(QStringLiteral("billprint: \"fill\" is not available yet\n"));
    return ExitUsage;
}
}
