#pragma once
// The scanned paper form under the fields: a PNG or JPEG scan of the form a
// template fills, kept with the template in a table of its own, drawn under
// the fields at the bill's origin at its physical size (from its resolution)
// with an offset and an opacity. It is a design aid: shown in design mode and,
// when the view menu asks for it, while filling in and in the preview. The
// print path never sees it. Here: the image, its placement and its storage.
#include "core/templatestore.h"
#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <optional>

class QPainter;

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
// Reads an image file as a new background (offset 0, opacity 0.5, the
// file's own resolution). A file that is not a readable PNG or JPEG is
// refused with a message for the user.
StoreStatus readImageFile(const QString &path, FormBackground &out);
// Where the image lies on the bill, in twips.
QRectF twipsRect(const FormBackground &bg, const QSize &imagePixels);
// Paints the image onto a painter whose coordinates are twips.
void paint(QPainter &painter, const FormBackground &bg, const QImage &image);

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

