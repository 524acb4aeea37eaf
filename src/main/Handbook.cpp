#include "main/Handbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A build folder's cache is some tens of kilobytes; a file far larger is not one.
constexpr qint64 kCacheLimit = 4 * 1024 * 1024;

// The source folder a build folder was configured from, or empty.
QString sourceFolderOfBuild(const QString &buildDir)
{
    QFile cache(QDir(buildDir).filePath(QStringLiteral("CMakeCache.txt")));
    if (cache.size() > kCacheLimit || !cache.open(QIODevice::ReadOnly))
        return {};
    const QByteArray key = "Varnix_SOURCE_DIR:STATIC=";
    while (!cache.atEnd()) {
        const QByteArray line = cache.readLine(64 * 1024).trimmed();
        if (line.startsWith(key))
            return QString::fromUtf8(line.mid(key.size()));
    }
    return {};
}

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

QUrl FindHandbook(const QString &programDir)
{
    const QDir prefix(programDir + QStringLiteral("/.."));
    const QString readme = prefix.filePath(QStringLiteral("share/doc/varnix/README.md"));
    if (isFile(readme))
        return QUrl::fromLocalFile(QDir::cleanPath(readme));
    for (const char *page : {"share/man/man1/varnix.1.gz", "share/man/man1/varnix.1"})
        if (isFile(prefix.filePath(QString::fromLatin1(page))))
            return QUrl(QStringLiteral("man:varnix(1)"));
    const QString source = sourceFolderOfBuild(prefix.path());
    const QString sourceReadme = QDir(source).filePath(QStringLiteral("README.md"));
    if (!source.isEmpty() && isFile(sourceReadme))
        return QUrl::fromLocalFile(QDir::cleanPath(sourceReadme));
    return {};
}
