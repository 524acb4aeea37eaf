#include "text/TextFile.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QSaveFile>

QStringList TextFileLinesFromBytes(const QByteArray &bytes)
{
    QStringList lines = codepage::decode(bytes).split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // the line end of the last line, or an empty file
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

QByteArray TextFileBytesFromLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += codepage::encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

bool TextFileRead(const QString &path, QStringList &lines)
{
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    lines = TextFileLinesFromBytes(bytes);
    return true;
}

bool TextFileWrite(const QString &path, const QStringList &lines, QString *error)
{
    // Unbuffered, and every byte accounted for: with a full disk the system takes only part of a
    // write, and a buffered QSaveFile still commits the cut-off file as if all had gone well.
    QSaveFile file(path);
    const QByteArray bytes = TextFileBytesFromLines(lines);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    if (ok && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}
