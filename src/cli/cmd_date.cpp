#include "commandline.h"

namespace cli {
int runDate(const QStringList &)
{
    err(QStringLiteral("billprint: \"date\" is not available yet\n"));
    return ExitUsage;
}
}
