#pragma once
#include "platform/SettingsStore.h"

#include <QMap>
#include <QString>

// Test double: the settings in a map under "section/key".
class MemorySettingsStore final : public SettingsStore {
public:
    QString value(const QString &section, const QString &key, const QString &fallback) const override
    {
        return values.value(section + QLatin1Char('/') + key, fallback);
    }
    void setValue(const QString &section, const QString &key, const QString &value) override
    {
        values.insert(section + QLatin1Char('/') + key, value);
    }
    QString folder() const override { return folderPath; }
    bool has(const SettingKey &k) const
    {
        return values.contains(QString::fromUtf8(k.section) + QLatin1Char('/') + QString::fromUtf8(k.key));
    }
    QMap<QString, QString> values;
    QString folderPath;
};
