#pragma once
#include "platform/SettingsStore.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <memory>

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
    // The program keeps files beside its settings (Umlaut.ini): without a folder given here
    // that is a temporary one of this store's own, never "" (which would put them in "/").
    QString folder() const override
    {
        if (!folderPath.isEmpty())
            return folderPath;
        if (!m_own)
            m_own = std::make_unique<QTemporaryDir>();
        return m_own->path();
    }
    bool has(const SettingKey &k) const
    {
        return values.contains(QString::fromUtf8(k.section) + QLatin1Char('/') + QString::fromUtf8(k.key));
    }
    QMap<QString, QString> values;
    QString folderPath;

private:
    mutable std::unique_ptr<QTemporaryDir> m_own;
};
