// The floor of batch printing to PDF: the least a Qt program does to write
// the same print items at the same places in the same fonts into one PDF,
// one page per bill, with nothing else (no database, no template, no
// filling-in rules, no checks). Its input is what bench/floor_items.cpp
// wrote; bench/batch_vs_glabels.sh times `billprint batch` against it.
//
//   pdf_floor IN.items OUT.pdf
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>

namespace {

struct Item {
    int left = 0;
    int top = 0;
    int colour = 0;
    int size = 0;
    QString text;
};

QString unescaped(const QByteArray &raw)
{
    QString text = QString::fromUtf8(raw);
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\') || i + 1 == text.size()) {
            out += text.at(i);
            continue;
        }
        const QChar next = text.at(++i);
        out += next == QLatin1Char('n') ? QChar(u'\n') : next == QLatin1Char('t') ? QChar(u'\t') : next;
    }
    return out;
}

bool readBill(QFile &in, QList<Item> &items)
{
    items.clear();
    while (!in.atEnd()) {
        const QByteArray line = in.readLine().chopped(1);
        if (line.isEmpty())
            return true;
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() < 5)
            continue;
        items.append({parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt(), unescaped(parts[4])});
    }
    return !items.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: pdf_floor IN.items OUT.pdf\n", stderr);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly))
        return 3;
    constexpr int Resolution = 150;
    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setResolution(Resolution);
    writer.setCreator(QStringLiteral("pdf_floor"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(), QPageLayout::Millimeter));
    QPainter painter;
    QHash<int, std::pair<QFont, double>> fonts;
    QList<Item> items;
    bool first = true;
    while (readBill(in, items)) {
        if (first) {
            writer.setTitle(items.value(0).text);
            if (!painter.begin(&writer))
                return 3;
            first = false;
        } else {
            writer.newPage();
        }
        // Twips to device units, as the program's renderer places them.
        painter.setTransform(QTransform::fromScale(Resolution / 1440.0, Resolution / 1440.0));
        for (qsizetype i = 1; i < items.size(); ++i) {
            const Item &item = items.at(i);
            if (item.text.isEmpty() || item.size < 1)
                continue;
            auto font = fonts.find(item.size);
            if (font == fonts.end()) {
                QFont f(QStringLiteral("WenQuanYi Micro Hei"));
                f.setPixelSize(item.size * 20);
                f.setHintingPreference(QFont::PreferNoHinting);
                f.setKerning(false);
                font = fonts.insert(item.size, {f, QFontMetricsF(f).ascent()});
            }
            painter.setFont(font->first);
            const QColor c = item.colour < 0 || item.colour > 0xFFFFFF
                                 ? QColor(Qt::black)
                                 : QColor(item.colour & 0xFF, (item.colour >> 8) & 0xFF, (item.colour >> 16) & 0xFF);
            const int g = qGray(c.rgb());
            painter.setPen(QColor(g, g, g));
            painter.drawText(QPointF(item.left, item.top + font->second), item.text);
        }
    }
    return painter.end() ? 0 : 3;
}
