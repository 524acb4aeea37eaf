#include "about/ProgramVersion.h"

#include <QStringList>

#ifndef VARNIX_FILE_VERSION
#error "VARNIX_FILE_VERSION comes from the build (src/about/CMakeLists.txt)"
#endif

ProgramVersion ProgramVersionFromText(const QString &text)
{
    const QStringList parts = text.split(u'.');
    const auto part = [&parts](int i) -> quint16 {
        if (i >= parts.size())
            return 0;
        bool ok = false;
        const uint n = parts[i].toUInt(&ok);
        return ok && n <= 0xFFFF ? static_cast<quint16>(n) : 0;
    };
    return {part(0), part(1), part(2)};
}

ProgramVersion ProgramVersionOfThisBuild()
{
    return ProgramVersionFromText(QStringLiteral(VARNIX_FILE_VERSION));
}

QString VersionCaption(const ProgramVersion &version)
{
    return QStringLiteral("Version %1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}
