#include "app/uitext.h"

namespace uitext {

bool hasChinese(const QString &text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

QString failure(const QString &sentence, const QString &detail)
{
    const QString d = detail.trimmed();
    if (d.isEmpty())
        return sentence;
    if (hasChinese(d))
        return d;
    return QStringLiteral("%1（%2）").arg(sentence, d);
}

} // namespace uitext
