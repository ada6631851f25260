#pragma once
// Where a text field's lines break. One place decides it, in the printing
// font at the field's width in twips, and both the screen and the paper use
// those lines, so what the clerk sees in the box is what prints.
#include <QString>
#include <QStringList>

namespace textlines {

// The text broken into lines: at its own line breaks, and where a line would
// run past the width (at a word boundary, or anywhere in a word longer than
// the line). One empty line for an empty text.
QStringList breakLines(const QString &text, int sizePoints, int widthTwips);

// How many lines of this size fit one under the other in a field this
// tall; at least one.
int linesThatFit(int sizePoints, int heightTwips);

} // namespace textlines
