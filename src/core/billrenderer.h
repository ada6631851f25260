#pragma once
// The one renderer of a bill's print items. It paints onto any QPainter whose
// coordinates are twips (see twipsTransform); the preview and the printer
// differ only in that transform. Texts stay vector text, so a printer gets
// them at its own resolution. The items are never changed.
#include "core/printitems.h"
#include <QColor>
#include <QFont>
#include <QTransform>

class QPainter;

namespace BillRenderer {

// Font face used for every printed text.
QString fontFamily();
// The printing font for a size in points, sized in twips (1 pt = 20 twips),
// so that metrics taken from it are twips whatever the device.
QFont printFont(int sizePoints);
// Width of a text and the height of one line in that font, in twips.
double textWidth(const QString &text, int sizePoints);
double lineHeight(int sizePoints);

// A colour value (red in the low byte); anything outside 24 bits (system
// colour codes) paints black.
QColor colourFromValue(qint32 value);

// Maps twips onto a device of the given resolution.
QTransform twipsTransform(double dpiX, double dpiY);

// Paints items 1 onward, each with the top-left of its text cell at
// (left, top). Items without text or with a size below 1 are skipped.
// The painter's state is restored afterwards.
// With `grayscale`, colours are painted as their shade of grey (a
// monochrome job).
void paint(QPainter &painter, const PrintItems &items, bool grayscale = false);

} // namespace BillRenderer
