#include "platform/SettingsStore.h"

#include "platform/AppInfo.h"

#include <QFileInfo>
#include <QSettings>


QString QtSettingsStore::value(const QString &section, const QString &key, const QString &fallback) const
{
    QSettings s(kAppTitle, kAppTitle);
    s.beginGroup(section);
    const QVariant v = s.value(key);
    return v.isValid() ? v.toString() : fallback;
}

void QtSettingsStore::setValue(const QString &section, const QString &key, const QString &value)
{
    QSettings s(kAppTitle, kAppTitle);
    s.beginGroup(section);
    s.setValue(key, value);
}

QString QtSettingsStore::folder() const
{
    // Asked of the store itself, so it follows XDG_CONFIG_HOME (or the registry on Windows).
    const QSettings s(kAppTitle, kAppTitle);
    return QFileInfo(s.fileName()).absolutePath();
}
