#include "workspace/layout.h"

#include "core/units.h"

#include <algorithm>
#include <cstdlib>

namespace layout {

namespace {

int largeStep(int length)
{
    return static_cast<int>(units::roundHalfEven(length / 100.0));
}

ScrollBarPlan horizontalBar(const PaneInput &in, int L0)
{
    ScrollBarPlan bar;
    if (!(in.W < L0 + in.bw && L0 < in.W))
        return bar;
    bar.visible = true;
    bar.rect = {L0, in.H - in.sh - ScrollBarThickness, in.W - L0, ScrollBarThickness};
    bar.minimum = L0;
    bar.maximum = in.W - L0 - in.bw;
    bar.largeChange = largeStep(in.bw);
    bar.value = L0;
    return bar;
}

ScrollBarPlan verticalBar(const PaneInput &in, bool hbarShown)
{
    // With the horizontal bar shown the bill has its thickness less room.
    const int reserve = hbarShown ? 2 * ScrollBarThickness : ScrollBarThickness;
    ScrollBarPlan bar;
    const bool sticksOut = in.H < in.th + reserve + in.bh + in.sh;
    const bool room = in.th + reserve + in.sh < in.H;
    if (!(sticksOut && room))
        return bar;
    bar.visible = true;
    bar.rect = {in.W - ScrollBarThickness, in.th + RulerThickness, ScrollBarThickness,
                in.H - in.th - in.sh - reserve};
    bar.minimum = 0;
    // The far end brings the bill's bottom edge to the top of the status bar
    // (or of the horizontal bar): the ruler above the bill counts as well.
    bar.maximum = in.H - in.sh - in.th - in.bh - reserve;
    bar.largeChange = largeStep(in.bh);
    bar.value = 0;
    return bar;
}

} // namespace

PanePlan LayoutPanes(const PaneInput &in, int x)
{
    PanePlan p;
    const int avail = in.H - in.th - in.sh;
    const int availPos = std::max(avail, 0);
    const int L0 = x + SplitterWidth;

    p.tree = {0, in.th, x, availPos};
    p.splitter = {x, in.th, SplitterWidth, availPos};
    p.topRuler = {L0, in.th, 2 * in.W, RulerThickness};
    p.bill = {L0, in.th + RulerThickness, in.bw, in.bh};

    p.rulers.frameLeft = x;
    p.rulers.frameTop = in.th;
    p.rulers.topStart = 0;
    p.rulers.topLength = 2 * in.W;
    p.rulers.sideLeft = 0;
    p.rulers.sideLength = avail;
    p.rulers.sideShift = 0;

    p.hbar = horizontalBar(in, L0);
    p.vbar = verticalBar(in, p.hbar.visible);
    return p;
}

int clampSplitter(int proposed, int W)
{
    int left = proposed;
    if (left < SplitterMargin)
        left = SplitterMargin;
    if (left > W - SplitterMargin)
        left = W - SplitterMargin;
    return left;
}

int billTopAtScroll(int th, int v)
{
    return th + RulerThickness + v;
}

int thumbRange(const ScrollBarPlan &bar)
{
    return std::abs(bar.maximum - bar.minimum);
}

int thumbToValue(const ScrollBarPlan &bar, int position)
{
    return bar.maximum >= bar.minimum ? bar.minimum + position : bar.minimum - position;
}

int valueToThumb(const ScrollBarPlan &bar, int value)
{
    return bar.maximum >= bar.minimum ? value - bar.minimum : bar.minimum - value;
}

} // namespace layout
