#pragma once
// Template files: one template (its bill, every field with all its property
// entries, and the scanned form if it has one) as UTF-8 JSON that a person
// can read and compare line by line. Positions are whole twips as stored,
// each with its value in millimetres beside it ("mm") for the reader; the
// twips are what counts, and a file whose millimetres disagree with them is
// refused rather than guessed at. The scanned form is base64 in lines.
//
// Reading checks everything before anything reaches the database: the
// format marker and version, the names, every key, kind and value, and the
// sizes of strings, lists and the file itself. A file that fails is refused
// with a message in Chinese that says what is wrong and where.
#include "core/templatemanager.h"

#include <QByteArray>
#include <QString>

namespace templatefile {

// The version this program writes; files of a later version are refused.
constexpr int FormatVersion = 1;
// Limits for files from elsewhere.
constexpr qint64 MaxFileBytes = 16ll * 1024 * 1024;
constexpr int MaxFields = 1000;        // a field key has three slot digits
constexpr int MaxProperties = 2000;    // per record, money columns included
constexpr int MaxValueLength = 4000;   // characters of one property value
constexpr int MaxPropertyNameLength = 255;
constexpr qint64 MaxImageBytes = 10ll * 1024 * 1024;
constexpr int MaxImageSide = 20000;    // pixels

// The file's text.
QByteArray toJson(const TemplateContent &content);
// Reads a file's text into `out`; on failure `out` is left empty and the
// message says what is wrong.
StoreStatus fromJson(const QByteArray &bytes, TemplateContent &out);

StoreStatus readFile(const QString &path, TemplateContent &out);
// Writes the whole file or, on failure, leaves whatever was there.
StoreStatus writeFile(const QString &path, const TemplateContent &content);

// Whether a property of a record of this kind holds a length in twips.
bool isTwipsProperty(int kind, int key);

} // namespace templatefile
