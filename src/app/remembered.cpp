#include "app/remembered.h"
#include <QSettings>

namespace remembered {

namespace {
bool on = false;
} // namespace

QString folderKey(const QString &caption)
{
    // QSettings keys take "/" as a group separator.
    QString name = caption;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("folders/") + name;
}

void setEnabled(bool enable)
{
    on = enable;
}

bool enabled()
{
    return on;
}

QVariant value(const QString &key, const QVariant &fallback)
{
    return on ? QSettings().value(key, fallback) : fallback;
}

void setValue(const QString &key, const QVariant &value)
{
    if (!on)
        return;
    QSettings settings;
    if (value.isValid())
        settings.setValue(key, value);
    else
        settings.remove(key);
}

} // namespace remembered
