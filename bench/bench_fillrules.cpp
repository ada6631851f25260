// The filling-in rules on the bill document, without widgets:
// - one keystroke in a money field that feeds a three-member amount-in-words
//   chain, a sum over 50 contributors and five copies;
// - a transfer cheque of the default database filled as the command line
//   fills it (date, payee, account, amount, purpose) and its print items
//   built, as batch printing does for every bill.
#include "cli/fillsession.h"
#include "core/appstate.h"
#include "core/billdocument.h"
#include "core/billentry.h"
#include "core/database.h"
#include "core/printitems.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Bill {
    FieldRegistry registry;
    BillDocument doc;
    QMap<int, int> counts;

    Bill()
    {
        registry.RegistryCtl(QStringLiteral("00000000"), {{0, QStringLiteral("票据"), QStringLiteral("bill")}}, 0,
                             FieldRegistry::Add);
    }

    // A field with the usual look properties before its linking ones.
    QString add(int kind, const QList<QPair<int, QString>> &links)
    {
        const int slot = registry.count();
        const int index = counts[kind]++;
        const QString key = FieldKey::make(slot, kind, index);
        PropertyList list;
        for (int k : {0, 1, 2, 3, 4, 5, 8, 9})
            list.append({qint16(k), QStringLiteral("属性"), QString::number(k * 100)});
        if (kind == KindMoney)
            list.append({20, QStringLiteral("最高位"), QStringLiteral("亿")});
        for (const auto &[k, v] : links)
            list.append({qint16(k), QStringLiteral("链接"), v});
        list.append({31, QStringLiteral("打印后清除"), QStringLiteral("否")});
        registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        return key;
    }
    void open() { doc.setTemplate(BillTemplate::fromRegistry(registry).value()); }
};

void BM_MoneyKeystroke(benchmark::State &st)
{
    Bill bill;
    const QString total = bill.add(KindText, {{6, "30"}, {11, ""}, {12, ""}, {13, ""}, {15, "合计"}, {16, "元"}});
    const QString m = bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, total}});
    QString previous = m;
    QStringList contributors;
    for (int i = 0; i < 3; ++i)
        previous = bill.add(KindText, {{6, "10"}, {11, "0102"}, {12, m}, {13, previous}, {15, ""}, {16, ""}});
    for (int i = 0; i < 49; ++i)
        contributors << bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, total}});
    for (int i = 0; i < 5; ++i)
        bill.add(KindMoney, {{6, "1"}, {12, m}, {26, ""}});
    bill.open();
    for (const QString &c : std::as_const(contributors))
        bill.doc.setColumns(c, {"", "", "", "", "", "", "1", "2", "3", "4", "5"});
    bill.doc.setColumns(m, {"", "", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    QString digit = QStringLiteral("3");
    for (auto _ : st) {
        digit = digit == QLatin1String("3") ? QStringLiteral("4") : QStringLiteral("3");
        bill.doc.setColumn(m, 10, digit);
    }
    if (bill.doc.text(total).isEmpty())
        st.SkipWithError("the rules did not run");
}
BENCHMARK(BM_MoneyKeystroke)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FillChequeAndBuildItems(benchmark::State &st)
{
    QTemporaryDir dir;
    AppState state;
    StartUp(state, dir.filePath(QStringLiteral("DB/BillDB.db")), dir.path());
    cli::FillSession session(state);
    if (!session.open(QStringLiteral("支票/转账支票"))) {
        st.SkipWithError("the transfer cheque did not open");
        return;
    }
    BillDocument &doc = session.document();
    const QList<QPair<QString, QString>> values = {
        {"00606000", "20261207"}, {"00907001", "中国工商银行上海分行"}, {"01107002", "上海浦江贸易有限公司"},
        {"01307003", "6222021234567890123"}, {"01508000", "1234.56"}, {"01907006", "货款"}};
    qsizetype items = 0;
    for (auto _ : st) {
        doc.clearAll();
        for (const auto &[key, value] : values)
            entry::enter(doc, key, value);
        items = BuildPrintItems(doc).size();
    }
    if (items < 10)
        st.SkipWithError("the cheque printed too little");
    CloseDatabase(state);
}
BENCHMARK(BM_FillChequeAndBuildItems)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
