#include "platform/SettingsStore.h"

#include "platform/AppInfo.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

QString QtSettingsStore::value(const QString &section, const QString &key, const QString &fallback) const
{
    QSettings s(kAppTitle, kAppTitle);
    s.beginGroup(section);
    const QVariant v = s.value(key);
    if (!v.isValid())
        return fallback;
    // A value typed into the file by hand without quotes, such as 9600,n,8,1 or a folder
    // whose name holds a comma, comes back from the INI reader as a list of its pieces.
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
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
