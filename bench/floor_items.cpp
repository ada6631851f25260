// Writes the print items `billprint batch` puts on each page, for the PDF
// writer's floor (bench/pdf_floor.cpp): the bills of a CSV file filled in
// by the batch code itself, one line per item, an empty line after each
// bill. Not timed: it prepares the floor's input.
//
//   floor_items DB CLASS/TEMPLATE FILE.csv OUT.items
#include "cli/fillsession.h"
#include "core/batch.h"
#include "core/database.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

namespace {

QString escaped(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return text;
}

// Every bill's items, as the PDF sink would get them.
class ItemSink : public batch::PageSink {
public:
    explicit ItemSink(QTextStream &out) : m_out(out) {}
    Status addBill(const PrintItems &items, int copies) override
    {
        for (int c = 0; c < copies; ++c) {
            for (const PrintItem &i : items)
                m_out << i.left << '\t' << i.top << '\t' << i.colour << '\t' << i.size << '\t' << escaped(i.text) << '\n';
            m_out << '\n';
        }
        return {};
    }
    Status finish() override { return {}; }
    void abort() override {}
    bool canAbort() const override { return true; }
    QString printerName() const override { return QStringLiteral("floor"); }

private:
    QTextStream &m_out;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: floor_items DB CLASS/TEMPLATE FILE.csv OUT.items\n", stderr);
        return 2;
    }
    AppState state;
    if (OpenDatabase(state, args.at(1)) != 0) {
        std::fputs("cannot open the database\n", stderr);
        return 3;
    }
    cli::FillSession session(state);
    batch::CsvSource rows;
    QFile file(args.at(4));
    if (!session.open(args.at(2)) || !rows.open(args.at(3)) || !file.open(QIODevice::WriteOnly)) {
        std::fputs("cannot open the template, the CSV file or the output\n", stderr);
        return 3;
    }
    QList<batch::HeaderProblem> problems;
    batch::Filler filler(session.document(),
                         batch::matchHeader(session.document().billTemplate(), rows.headerCells(), problems));
    QTextStream out(&file);
    ItemSink sink(out);
    const batch::Outcome outcome = batch::print(filler, rows, sink, nullptr, {});
    CloseDatabase(state);
    if (!outcome.ok()) {
        std::fputs("the bills do not print\n", stderr);
        return 4;
    }
    return 0;
}
