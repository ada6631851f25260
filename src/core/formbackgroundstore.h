#pragma once
// The scanned paper form kept with a template: the image's bytes (PNG or
// JPEG), its resolution, its offset from the bill's origin and its opacity,
// one row per template table in a table of their own.
#include "core/templatestore.h"
#include <QByteArray>
#include <QImage>
#include <optional>

struct FormBackground {
    QByteArray image;     // the file's bytes, PNG or JPEG
    double dpi = 150.0;   // dots per inch of the scan
    int offsetX = 0;      // twips from the bill's origin
    int offsetY = 0;
    double opacity = 0.5; // 0.05 .. 1
};

namespace formbackground {

QString tableName();
// Resolutions and opacities kept within sensible bounds.
constexpr double MinDpi = 10.0;
constexpr double MaxDpi = 2400.0;
constexpr double MinOpacity = 0.05;

// Decodes PNG or JPEG bytes; false, with the reason, for anything else.
bool decode(const QByteArray &bytes, QImage &image, QString *why = nullptr);

} // namespace formbackground

// The backgrounds of the database, one per template table.
class FormBackgroundStore {
public:
    explicit FormBackgroundStore(const QString &connectionName);

    // nullopt (and ok) when the template has none.
    StoreStatus load(const QString &templateTable, std::optional<FormBackground> &out) const;
    // Replaces the template's background (creating the table on first use).
    StoreStatus save(const QString &templateTable, const FormBackground &bg) const;
    StoreStatus remove(const QString &templateTable) const;
    // Creates the table when it is missing; starts no transaction of its
    // own, so that it can run inside a caller's.
    StoreStatus ensureTable() const;

private:
    TemplateStore m_store;
};
