#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The Windows registry as the about window reads it, together with the two operations that go
// with it there: testing for a file and starting a program. On Windows these are the real thing.
// Elsewhere the registry is a stand-in that answers the system-information look-up with an
// installed tool. Programs are always started directly, never through a shell.

namespace registry {
inline constexpr quint32 kLocalMachine = 0x80000002u; // HKEY_LOCAL_MACHINE
inline constexpr quint32 kRead = 0x20019u;            // KEY_READ
inline constexpr quint32 kTypeString = 1;             // REG_SZ: UTF-16LE, usually ending in NUL
inline constexpr quint32 kTypeNumber = 4;             // REG_DWORD: four bytes, little-endian
} // namespace registry

struct RegistryValue {
    quint32 type = 0;
    QByteArray data; // as stored, cut to the length the registry reports
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens keyName under root with the given access rights, reads valueName into a buffer of
    // bufferBytes and closes the key. False when the key cannot be opened or the value is missing
    // or larger than the buffer.
    virtual bool readValue(quint32 root, const QString &keyName, quint32 access, const QString &valueName,
                           qsizetype bufferBytes, RegistryValue &value) = 0;
    virtual bool fileExists(const QString &path) = 0;
    // Starts the program at path without arguments and without waiting; false when it cannot start.
    virtual bool startProgram(const QString &path) = 0;
};

// The registry on Windows; elsewhere the stand-in described above.
class NativeRegistry final : public Registry {
public:
    bool readValue(quint32 root, const QString &keyName, quint32 access, const QString &valueName,
                   qsizetype bufferBytes, RegistryValue &value) override;
    bool fileExists(const QString &path) override;
    bool startProgram(const QString &path) override;

    // The system-information tools looked for on the search path, best first.
    static const QStringList &SysInfoTools();
};

namespace platform {
// The NativeRegistry unless a test has installed its own.
Registry &registry();
void installRegistry(Registry *registry);
} // namespace platform
