#pragma once
// Shared by the fuzz targets: a check that stops the run with a message
// (libFuzzer then keeps the input that broke it), and the input as text.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void check(bool condition, const QString &what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what.toUtf8().constData());
    std::abort();
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as UTF-8 text (invalid sequences become U+FFFD, as a typed or
// read text would).
inline QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A text that can be written as UTF-8 and read back the same: no lone
// surrogate halves.
inline bool wellFormed(const QString &s)
{
    return QStringView(s).isValidUtf16();
}

} // namespace fuzz
