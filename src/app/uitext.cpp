#include "app/uitext.h"

namespace uitext {

bool hasChinese(const QString &text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

bool opensInChinese(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const QChar c = t.front();
    // A Chinese character, or Chinese punctuation such as “ or （.
    return c.script() == QChar::Script_Han || c == u'“' || c == u'‘' || (c >= u'\u3000' && c <= u'\u303f')
           || (c >= u'\uff00' && c <= u'\uffef');
}

QString failure(const QString &sentence, const QString &detail)
{
    const QString d = detail.trimmed();
    if (d.isEmpty())
        return sentence;
    // Technical messages name the (Chinese) tables and files they were at:
    // only a detail that opens in Chinese is a Chinese message.
    if (opensInChinese(d))
        return d;
    return QStringLiteral("%1（%2）").arg(sentence, d);
}

} // namespace uitext
