#pragma once
#include "platform/Registry.h"

#include <QMap>
#include <QString>
#include <QStringList>

// Test double: values from a table, files from a list; programs are recorded, never started.
class ScriptedRegistry final : public Registry {
public:
    bool readValue(quint32 root, const QString &keyName, quint32 access, const QString &valueName,
                   qsizetype bufferBytes, RegistryValue &value) override;
    bool fileExists(const QString &path) override;
    bool startProgram(const QString &path) override;

    // A string value as the registry stores it, with its terminating NUL.
    void setString(const QString &keyName, const QString &valueName, const QString &text);
    static QString pathOf(const QString &keyName, const QString &valueName) { return keyName + u'|' + valueName; }

    QMap<QString, RegistryValue> values; // by pathOf(), under HKEY_LOCAL_MACHINE
    QStringList files;
    bool startSucceeds = true;
    QStringList lookups; // pathOf() of every value asked for, in order
    QStringList checkedFiles;
    QStringList started;
};

// Installs a ScriptedRegistry for the lifetime of one object.
struct TestRegistry {
    TestRegistry() { platform::installRegistry(&scripted); }
    ~TestRegistry() { platform::installRegistry(nullptr); }
    TestRegistry(const TestRegistry &) = delete;
    TestRegistry &operator=(const TestRegistry &) = delete;
    ScriptedRegistry scripted;
};
