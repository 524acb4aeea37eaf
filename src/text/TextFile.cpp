#include "text/TextFile.h"

#include "platform/CodePage.h"
#include "platform/SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QString quotedPath(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString tooLarge(const QString &path, qint64 maxBytes)
{
    const QString bound = maxBytes >= 1024 * 1024 ? QStringLiteral("%1 MB").arg(maxBytes / (1024 * 1024))
                          : maxBytes >= 1024      ? QStringLiteral("%1 KB").arg(maxBytes / 1024)
                                                  : QStringLiteral("%1 Bytes").arg(maxBytes);
    return QStringLiteral("Die Datei %1 ist zu groß: gelesen werden höchstens %2. ").arg(quotedPath(path), bound);
}

QString notAFile(const QString &path)
{
    return QStringLiteral("%1 ist keine gewöhnliche Datei und wird nicht gelesen. ").arg(quotedPath(path));
}

QString unreadable(const QString &path)
{
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden. ").arg(quotedPath(path));
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// Opens the file for reading only if it is a regular file. On Unix the check is made on the
// opened descriptor, and the open itself does not wait: a FIFO put in place after the first look
// would otherwise block the open until some writer appeared.
bool openRegular(QFile &file, const QString &path, QString *error)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(error, unreadable(path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(error, notAFile(path));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(error, unreadable(path));
    }
    return true;
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, unreadable(path));
    return true;
#endif
}

QString decode(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding != TextEncoding::Windows1252)
        return QString::fromUtf8(bytes);
    return codepage::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

QByteArray encode(const QString &text, TextEncoding encoding)
{
    return encoding == TextEncoding::Windows1252 ? codepage::encode(text) : text.toUtf8();
}

} // namespace

TextEncoding TextEncodingOf(const QByteArray &bytes)
{
    if (!bytes.isValidUtf8())
        return TextEncoding::Windows1252;
    if (bytes.startsWith(kUtf8Bom))
        return TextEncoding::Utf8WithBom;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uchar>(c) < 0x80; });
    return ascii ? TextEncoding::Windows1252 : TextEncoding::Utf8;
}

QStringList TextFileLinesFromBytes(const QByteArray &bytes, TextEncoding encoding)
{
    // Line by line, so a long list is never held as one decoded text beside its lines.
    QByteArrayView rest(bytes);
    if (encoding == TextEncoding::Utf8WithBom && rest.startsWith(kUtf8Bom))
        rest = rest.sliced(kUtf8Bom.size());
    QStringList lines;
    lines.reserve(rest.count('\n') + 1);
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(decode(line, encoding));
    }
    return lines; // nothing after the last line end is no extra line
}

QByteArray TextFileBytesFromLines(const QStringList &lines, TextEncoding encoding)
{
    qsizetype size = kUtf8Bom.size();
    for (const QString &line : lines)
        size += line.size() + 2; // exact for Windows-1252, a good start for UTF-8
    QByteArray bytes;
    bytes.reserve(size);
    if (encoding == TextEncoding::Utf8WithBom)
        bytes += kUtf8Bom;
    for (const QString &line : lines) {
        bytes += encode(line, encoding);
        bytes += "\r\n";
    }
    return bytes;
}

bool TextEncodingCarries(TextEncoding encoding, const QString &text)
{
    if (encoding != TextEncoding::Windows1252)
        return true;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return codepage::byteOf(c) >= 0; });
}

bool TextFileReadBytes(const QString &path, QByteArray &bytes, QString *error, qint64 maxBytes)
{
    bytes.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return fail(error, QStringLiteral("Die Datei %1 ist nicht vorhanden. ").arg(quotedPath(path)));
    if (!info.isFile())
        return fail(error, notAFile(path));
    if (info.size() > maxBytes)
        return fail(error, tooLarge(path, maxBytes));
    QFile file;
    if (!openRegular(file, path, error))
        return false;
    // In pieces and never more than one byte past the bound, so a file that grows while it is
    // read cannot take the memory either.
    constexpr qint64 kPiece = 1 << 16;
    bytes.reserve(qsizetype(std::min(info.size(), maxBytes) + 1));
    for (;;) {
        const qint64 room = maxBytes + 1 - bytes.size();
        const QByteArray piece = file.read(std::min(kPiece, room));
        if (file.error() != QFileDevice::NoError) {
            bytes.clear();
            return fail(error, unreadable(path));
        }
        if (piece.isEmpty())
            break;
        bytes += piece;
        if (bytes.size() > maxBytes) {
            bytes.clear();
            return fail(error, tooLarge(path, maxBytes));
        }
    }
    return true;
}

bool TextFileRead(const QString &path, QStringList &lines)
{
    return TextFileRead(path, lines, nullptr);
}

bool TextFileRead(const QString &path, QStringList &lines, QString *error, qint64 maxBytes)
{
    lines.clear();
    QByteArray bytes;
    if (!TextFileReadBytes(path, bytes, error, maxBytes))
        return false;
    lines = TextFileLinesFromBytes(bytes);
    return true;
}

bool TextFileReadDetecting(const QString &path, QStringList &lines, TextEncoding *encoding, QString *error,
                           qint64 maxBytes)
{
    lines.clear();
    if (encoding)
        *encoding = TextEncoding::Windows1252;
    QByteArray bytes;
    if (!TextFileReadBytes(path, bytes, error, maxBytes))
        return false;
    const TextEncoding found = TextEncodingOf(bytes);
    if (encoding)
        *encoding = found;
    lines = TextFileLinesFromBytes(bytes, found);
    return true;
}

bool TextFileWrite(const QString &path, const QStringList &lines, QString *error, TextEncoding encoding)
{
    return TextFileWriteBytes(path, TextFileBytesFromLines(lines, encoding), error);
}

bool TextFileWriteBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    // Unbuffered, and every byte accounted for: with a full disk the system takes only part of a
    // write, and a buffered QSaveFile still commits the cut-off file as if all had gone well.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    if (ok && file.commit())
        return true;
    if (error)
        *error = GermanSystemText(file.errorString());
    file.cancelWriting();
    return false;
}
