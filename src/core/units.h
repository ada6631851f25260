#pragma once
// The one place that converts between twips and other units.
// Positions and sizes are whole twips everywhere else: 1440 to the inch,
// 56.7 to the millimetre.
#include <QtGlobal>
#include <cmath>

namespace units {

constexpr double TwipsPerInch = 1440.0;
constexpr double TwipsPerMm = 56.7;
// Screen pixels per twip at scale 1: Qt's logical 96 dpi, 15 twips a pixel.
constexpr double TwipsPerPixel = 15.0;

// Rounds halves to the even neighbour, as the stored positions were made.
inline long long roundHalfEven(double v)
{
    return static_cast<long long>(std::nearbyint(v));
}

inline int twipsToPixels(long long twips, double scale = 1.0)
{
    return static_cast<int>(roundHalfEven(twips * scale / TwipsPerPixel));
}

inline long long pixelsToTwips(int pixels, double scale = 1.0)
{
    return roundHalfEven(pixels * TwipsPerPixel / scale);
}

inline double twipsToMm(long long twips) { return twips / TwipsPerMm; }

inline long long mmToTwips(double mm) { return roundHalfEven(mm * TwipsPerMm); }

// Device units (dots) for a device of the given resolution.
inline double twipsToDots(long long twips, double dpi) { return twips * dpi / TwipsPerInch; }

} // namespace units
