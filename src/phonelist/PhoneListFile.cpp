#include "phonelist/PhoneListFile.h"

#include "text/TextFile.h"

// phone.lst is one of the program's own text files; the byte rules live in one place.

QStringList PhoneListLinesFromBytes(const QByteArray &bytes) { return TextFileLinesFromBytes(bytes); }

QByteArray PhoneListBytesFromLines(const QStringList &lines) { return TextFileBytesFromLines(lines); }

bool PhoneListReadFile(const QString &path, QStringList &lines) { return TextFileRead(path, lines); }

bool PhoneListWriteFile(const QString &path, const QStringList &lines, QString *error)
{
    return TextFileWrite(path, lines, error);
}
