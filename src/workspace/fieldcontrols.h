#pragma once
// The control sets of the bill surface: one per field kind and one of
// selection frames. Owned by the main window; the printing and design code
// reach the controls through it.
#include "workspace/controlset.h"

class LabelCtl;
class CheckCtl;
class DateCtl;
class TextCtl;
class MoneyCtl;
class DesignCtl;

struct FieldControls {
    ControlSet<LabelCtl> labels;   // LabelCtl
    ControlSet<CheckCtl> checks;   // CheckCtl
    ControlSet<DateCtl> dates;     // DateCtl
    ControlSet<TextCtl> texts;     // TextCtl
    ControlSet<MoneyCtl> moneys;   // MoneyCtl
    ControlSet<DesignCtl> frames;  // DesignCtl, indexed by slot

    // Creates element 0 of every set on `host`.
    void init(QWidget *host);
};
