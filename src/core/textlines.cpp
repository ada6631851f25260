#include "core/textlines.h"

#include "core/billrenderer.h"

#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace textlines {

QStringList breakLines(const QString &text, int sizePoints, int widthTwips)
{
    QString t = text;
    t.remove(u'\r');
    const QFont font = BillRenderer::printFont(sizePoints);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    QStringList lines;
    const QStringList paragraphs = t.split(u'\n');
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        // A line well within the width needs no layout: it is one line.
        if (BillRenderer::textWidth(paragraph, sizePoints) < widthTwips - 1) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(1, widthTwips));
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    if (lines.isEmpty())
        lines << QString();
    return lines;
}

int linesThatFit(int sizePoints, int heightTwips)
{
    const double h = BillRenderer::lineHeight(sizePoints);
    if (h <= 0)
        return 1;
    // A hair of tolerance: a field drawn exactly two lines tall holds two.
    return qMax(1, int(std::floor((heightTwips + 0.5) / h)));
}

} // namespace textlines
