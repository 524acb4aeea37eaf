#include "platform/WorkFolder.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString &startFolder()
{
    static QString dir;
    return dir;
}
} // namespace

namespace platform {

QString workFolder()
{
    const QString stored = settings().get(keys::MyDir);
    if (!stored.isEmpty() && QFileInfo(stored).isDir())
        return QDir::fromNativeSeparators(stored);
    return startFolder().isEmpty() ? QDir::currentPath() : startFolder();
}

QString workFile(const QString &name) { return QDir(workFolder()).absoluteFilePath(name); }

void setStartFolder(const QString &dir) { startFolder() = dir; }

} // namespace platform
