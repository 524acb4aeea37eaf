#include "support/ScriptedRegistry.h"

namespace {

// A string value as the registry keeps it: UTF-16LE with its terminating NUL.
QByteArray utf16WithNul(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text + QChar(0)) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}

} // namespace

bool ScriptedRegistry::readValue(quint32 root, const QString &keyName, quint32, const QString &valueName,
                                 qsizetype bufferBytes, RegistryValue &value)
{
    value = {};
    const QString path = pathOf(keyName, valueName);
    lookups.append(path);
    if (root != registry::kLocalMachine || !values.contains(path) || values[path].data.size() > bufferBytes)
        return false;
    value = values[path];
    return true;
}

bool ScriptedRegistry::fileExists(const QString &path)
{
    checkedFiles.append(path);
    return files.contains(path);
}

bool ScriptedRegistry::startProgram(const QString &path)
{
    if (!startSucceeds)
        return false;
    started.append(path);
    return true;
}

void ScriptedRegistry::setString(const QString &keyName, const QString &valueName, const QString &text)
{
    values.insert(pathOf(keyName, valueName), RegistryValue{registry::kTypeString, utf16WithNul(text)});
}
