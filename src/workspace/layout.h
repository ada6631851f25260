#pragma once
// The arithmetic that places the main window's panes: tree, splitter, top
// ruler, bill surface, the bill's selection frame and the two scroll bars.
// Everything is in twips in the window's inner coordinates (the toolbar's
// top edge is y = 0); no widgets are involved, so tests drive it directly.

namespace layout {

constexpr int SplitterWidth = 200;
constexpr int RulerThickness = 200;
constexpr int ScrollBarThickness = 200;
// The splitter keeps this distance from either side of the window.
constexpr int SplitterMargin = 1000;
constexpr int DefaultSplitterLeft = 1000;

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect &) const = default;
};

// A scroll bar whose range may run from a larger minimum to a smaller
// maximum: moving the thumb right or down lowers the value.
struct ScrollBarPlan {
    bool visible = false;
    TwipRect rect;
    int minimum = 0;
    int maximum = 0;
    int largeChange = 0;
    int value = 0;
};

// Arguments of the three rulers for one layout.
struct RulerPlan {
    int frameLeft = 0;     // vertical ruler on the window: left edge
    int frameTop = 0;      // ... and the offset of its zero
    int topStart = 0;      // horizontal ruler on the top ruler pane
    int topLength = 0;
    int sideLeft = 0;      // vertical ruler on the splitter
    int sideLength = 0;
    int sideShift = 0;
};

// What the layout depends on: inner window size, bar heights (0 while a bar
// is hidden) and the bill's size.
struct PaneInput {
    int W = 0;
    int H = 0;
    int th = 0;
    int sh = 0;
    int bw = 0;
    int bh = 0;
};

struct PanePlan {
    TwipRect tree;
    TwipRect splitter;
    TwipRect topRuler;
    TwipRect bill;   // the bill surface and selection frame 0
    RulerPlan rulers;
    ScrollBarPlan hbar;
    ScrollBarPlan vbar;
};

// Places every pane for a splitter left edge x.
PanePlan LayoutPanes(const PaneInput &in, int x);

// Where the splitter goes when dragged to `proposed` in a window W wide.
int clampSplitter(int proposed, int W);

// The vertical bar's value v moves the bill down from its laid-out top.
int billTopAtScroll(int th, int v);

// Converts between a scroll bar's logical value (which may fall as the thumb
// moves forwards) and a thumb position counted from 0 at the start.
int thumbToValue(const ScrollBarPlan &bar, int position);
int valueToThumb(const ScrollBarPlan &bar, int value);
// Number of thumb positions past the first: |maximum - minimum|.
int thumbRange(const ScrollBarPlan &bar);

} // namespace layout
