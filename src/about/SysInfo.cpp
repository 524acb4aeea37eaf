#include "about/SysInfo.h"

#include "platform/Registry.h"

#include <QtEndian>

namespace {

// The value is read into a buffer of 1024 characters; a longer one does not fit and is not read.
constexpr qsizetype kBufferChars = 1024;

} // namespace

bool GetKeyValue(Registry &registry, quint32 keyRoot, const QString &keyName, const QString &subKeyRef, QString &keyVal)
{
    keyVal.clear();
    // Read rights are all it takes; asking for write rights under HKEY_LOCAL_MACHINE fails for
    // anyone who is not an administrator.
    RegistryValue value;
    if (!registry.readValue(keyRoot, keyName, registry::kRead, subKeyRef, kBufferChars * 2, value))
        return false;
    switch (value.type) {
    case registry::kTypeString: {
        QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(value.data.constData()), value.data.size() / 2);
        if (text.endsWith(QChar(0)))
            text.chop(1);
        keyVal = text;
        return true;
    }
    case registry::kTypeNumber:
        if (value.data.size() != 4)
            return false;
        keyVal = QString::number(qFromLittleEndian<quint32>(value.data.constData()));
        return true;
    default:
        return false;
    }
}

bool StartSysInfoTool(Registry &registry)
{
    QString path;
    if (GetKeyValue(registry, registry::kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path))
        return registry.startProgram(path);
    if (GetKeyValue(registry, registry::kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), path)) {
        const QString program = path + QStringLiteral("\\MSINFO32.EXE");
        if (registry.fileExists(program))
            return registry.startProgram(program);
    }
    return false;
}
