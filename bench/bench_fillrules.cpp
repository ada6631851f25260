// One keystroke in a money field that feeds a three-member amount-in-words
// chain, a sum over 50 contributors and five copies: every rule that the
// keystroke sets off, with the field controls offscreen.
#include "core/appstate.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/designctl.h"
#include "workspace/fieldcontrols.h"
#include "workspace/fillrules.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {

struct Bill {
    AppState state;
    QWidget host;
    FieldControls controls;
    std::unique_ptr<FillRules> rules;
    QMap<int, int> counts;

    Bill()
    {
        controls.init(&host);
        rules = std::make_unique<FillRules>(state, controls);
        state.Registry.RegistryCtl(QStringLiteral("00000000"), {{0, QStringLiteral("票据"), QStringLiteral("bill")}},
                                   0, FieldRegistry::Add);
    }

    // A field with the usual look properties before its linking ones.
    QString add(int kind, const QList<QPair<int, QString>> &links)
    {
        const int slot = state.Registry.count();
        const int index = counts[kind]++;
        const QString key = FieldKey::make(slot, kind, index);
        PropertyList list;
        for (int k : {0, 1, 2, 3, 4, 5, 8, 9})
            list.append({qint16(k), QStringLiteral("属性"), QString::number(k * 100)});
        for (const auto &[k, v] : links)
            list.append({qint16(k), QStringLiteral("链接"), v});
        list.append({31, QStringLiteral("打印后清除"), QStringLiteral("否")});
        state.Registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        QWidget *control = nullptr;
        if (kind == KindText) {
            control = controls.texts.create(index, &host);
        } else {
            MoneyCtl *m = controls.moneys.create(index, &host);
            m->UserSetMoneyCount(11);
            control = m;
        }
        opening::setControlTag(control, key);
        rules->connectField(kind, index, control);
        return key;
    }
};

void typeDigit(QLineEdit *column, char digit)
{
    const QString text(QChar::fromLatin1(digit));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (digit - '0'), Qt::NoModifier, text);
    QCoreApplication::sendEvent(column, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + (digit - '0'), Qt::NoModifier, text);
    QCoreApplication::sendEvent(column, &release);
}

void BM_MoneyKeystroke(benchmark::State &st)
{
    Bill bill;
    const QString total = bill.add(KindText, {{6, "30"}, {11, ""}, {12, ""}, {13, ""}, {15, "合计"}, {16, "元"}});
    const QString m = bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, total}});
    QString previous = m;
    for (int i = 0; i < 3; ++i)
        previous = bill.add(KindText, {{6, "10"}, {11, "0102"}, {12, m}, {13, previous}, {15, ""}, {16, ""}});
    for (int i = 0; i < 49; ++i) {
        const QString c = bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, total}});
        bill.controls.moneys.at(FieldKey::parse(c)->index)->UserSetMoneyText({"", "", "", "", "", "", "1", "2", "3", "4", "5"});
    }
    for (int i = 0; i < 5; ++i)
        bill.add(KindMoney, {{6, "1"}, {12, m}, {26, ""}});
    MoneyCtl *money = bill.controls.moneys.at(FieldKey::parse(m)->index);
    money->UserSetMoneyText({"", "", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    QLineEdit *last = money->TxtCol(10);
    char digit = '3';
    for (auto _ : st) {
        digit = digit == '3' ? '4' : '3';
        typeDigit(last, digit);
    }
    const QString words = bill.controls.texts.at(1)->UserGetTextAll();
    if (words.isEmpty() || bill.controls.texts.at(0)->UserGetTextAll().isEmpty())
        st.SkipWithError("the rules did not run");
}
BENCHMARK(BM_MoneyKeystroke)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
