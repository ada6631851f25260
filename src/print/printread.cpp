#include "print/printread.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/fieldcontrols.h"

FieldShown ShownBy(const FieldControls &controls, const FieldRecord &record)
{
    FieldShown v;
    switch (record.kind) {
    case KindCheck:
        if (const CheckCtl *c = controls.checks.at(record.index))
            v.check = c->UserGetCheckValue();
        break;
    case KindDate:
        if (const DateCtl *c = controls.dates.at(record.index))
            v.date = c->UserGetDateTextBox();
        break;
    case KindText:
        if (const TextCtl *c = controls.texts.at(record.index)) {
            v.textAll = c->UserGetTextAll();
            if (c->UserGetTextBox(v.lines) < 0)
                v.lines.clear();
        }
        break;
    case KindMoney:
        if (const MoneyCtl *c = controls.moneys.at(record.index)) {
            v.moneyDigits = c->UserGetMoneyNumber();
            v.columnX = c->UserGetMoneyColX();
        }
        break;
    default:
        break;
    }
    return v;
}

PrintItems ReadCtlData(const FieldRegistry &registry, const FieldControls &controls)
{
    return BuildPrintItems(registry,
                           [&controls](const FieldRecord &r) { return ShownBy(controls, r); });
}

bool EmptyAfterPrint(const FieldRegistry &registry, FieldControls &controls)
{
    if (registry.isEmpty())
        return false;
    for (int slot : SlotsToEmptyAfterPrint(registry)) {
        // An emptying runs the filling-in rules, which may change the
        // registry; read the record afresh each time.
        if (slot >= registry.count())
            break;
        const FieldRecord &r = registry.at(slot);
        switch (r.kind) {
        case KindCheck:
            if (CheckCtl *c = controls.checks.at(r.index))
                c->UserSetCheckValue(QString());
            break;
        case KindDate:
            if (DateCtl *c = controls.dates.at(r.index))
                c->UserSetDateTextBox(QString());
            break;
        case KindText:
            if (TextCtl *c = controls.texts.at(r.index))
                c->UserSetTextBox(QString());
            break;
        case KindMoney:
            if (MoneyCtl *c = controls.moneys.at(r.index))
                c->UserMoneyClear();
            break;
        default:
            break;
        }
    }
    return true;
}

PrintStatus PrintBillToPdf(const FieldRegistry &registry, const FieldControls &controls,
                           const QString &pdfPath, const QTransform &calibration)
{
    return PrintItemsToPdf(ReadCtlData(registry, controls), pdfPath, calibration);
}
