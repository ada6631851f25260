#include "commandline.h"

namespace cli {
int runWords(const QStringList &)
{
    err(QStringLiteral("billprint: \"words\" is not available yet\n"));
    return ExitUsage;
}
}
