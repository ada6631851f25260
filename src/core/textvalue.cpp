#include "core/textvalue.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace textvalue {

bool isNumeric(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}

QString sumValue(const QString &text, const QString &factor1, const QString &factor2)
{
    if (!isNumeric(text) || !isNumeric(factor1) || !isNumeric(factor2))
        return text;
    const QLocale c = QLocale::c();
    const double product = c.toDouble(factor1.trimmed()) * c.toDouble(factor2.trimmed())
                           * c.toDouble(text.trimmed());
    // Fifteen significant digits, so 0.1 x 3 reads 0.3 and not its binary
    // neighbour.
    return QString::number(product, 'g', 15);
}

namespace {

// True when every UTF-16 unit is a character of its own (the usual case:
// Chinese, Latin letters, digits), so the fast paths apply.
bool simple(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSurrogate() || c.category() == QChar::Mark_NonSpacing
            || c.category() == QChar::Mark_SpacingCombining || c.category() == QChar::Mark_Enclosing
            || c.unicode() == 0x200D || (c.unicode() >= 0xFE00 && c.unicode() <= 0xFE0F)
            || c == u'\r')
            return false;
    }
    return true;
}

} // namespace

QStringList graphemes(const QString &text)
{
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() >= 0) {
        const qsizetype end = finder.position();
        if (end > start)
            out << text.mid(start, end - start);
        start = end;
    }
    return out;
}

int length(const QString &text)
{
    if (simple(text))
        return int(text.size());
    return int(graphemes(text).size());
}

QString left(const QString &text, int count)
{
    return mid(text, 0, count);
}

QString mid(const QString &text, int from, int count)
{
    if (count <= 0 || from < 0)
        return {};
    if (simple(text))
        return text.mid(from, count);
    const QStringList g = graphemes(text);
    return g.mid(from, count).join(QString());
}

} // namespace textvalue
