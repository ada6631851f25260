#include "workspace/fieldcontrols.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/designctl.h"

void FieldControls::init(QWidget *host)
{
    labels.init(host);
    checks.init(host);
    dates.init(host);
    texts.init(host);
    moneys.init(host);
    frames.init(host);
}
