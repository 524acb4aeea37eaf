#include "platform/Registry.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

Registry *s_installed = nullptr;

#ifndef Q_OS_WIN
QByteArray utf16WithNul(const QString &text)
{
    const QString withNul = text + QChar(0);
    QByteArray bytes;
    for (const QChar c : withNul) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}
#endif

} // namespace

namespace platform {

Registry &registry()
{
    static NativeRegistry native;
    return s_installed ? *s_installed : native;
}

void installRegistry(Registry *registry)
{
    s_installed = registry;
}

} // namespace platform

const QStringList &NativeRegistry::SysInfoTools()
{
    static const QStringList tools{
        QStringLiteral("hardinfo2"),           QStringLiteral("hardinfo"),
        QStringLiteral("kinfocenter"),         QStringLiteral("gnome-system-monitor"),
        QStringLiteral("mate-system-monitor"), QStringLiteral("lshw-gtk"),
    };
    return tools;
}

#ifdef Q_OS_WIN

bool NativeRegistry::readValue(quint32 root, const QString &keyName, quint32 access, const QString &valueName,
                               qsizetype bufferBytes, RegistryValue &value)
{
    value = {};
    HKEY key = nullptr;
    // The predefined roots are negative LONGs widened to a pointer, so 0x80000002 must be
    // sign-extended on 64-bit Windows.
    const auto rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
    if (RegOpenKeyExW(rootKey, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0, access, &key) != ERROR_SUCCESS)
        return false;
    QByteArray buffer(bufferBytes, '\0');
    DWORD type = 0;
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(valueName.utf16()), nullptr, &type,
                                     reinterpret_cast<LPBYTE>(buffer.data()), &length);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    value.type = type;
    value.data = buffer.left(length);
    return true;
}

#else

bool NativeRegistry::readValue(quint32 root, const QString &keyName, quint32, const QString &valueName,
                               qsizetype bufferBytes, RegistryValue &value)
{
    // Only the first look-up of the system-information tool has an answer here: the path of the
    // first tool on the search path. The second names a folder holding MSINFO32.EXE, which a
    // system without Windows does not have.
    value = {};
    if (root != registry::kLocalMachine ||
        keyName.compare(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), Qt::CaseInsensitive) != 0 ||
        valueName.compare(QStringLiteral("PATH"), Qt::CaseInsensitive) != 0)
        return false;
    for (const QString &tool : SysInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            continue;
        const QByteArray data = utf16WithNul(path);
        if (data.size() > bufferBytes)
            return false;
        value.type = registry::kTypeString;
        value.data = data;
        return true;
    }
    return false;
}

#endif

bool NativeRegistry::fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

bool NativeRegistry::startProgram(const QString &path)
{
    // An argument list of its own, so nothing in the path is ever read by a shell.
    return !path.isEmpty() && QProcess::startDetached(path, QStringList());
}
