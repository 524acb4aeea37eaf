#include "phonelist/PhoneListFile.h"

// phone.lst is one of the program's own text files; the byte rules live in one place.

QStringList PhoneListLinesFromBytes(const QByteArray &bytes, TextEncoding encoding)
{
    return TextFileLinesFromBytes(bytes, encoding);
}

QByteArray PhoneListBytesFromLines(const QStringList &lines, TextEncoding encoding)
{
    return TextFileBytesFromLines(lines, encoding);
}

bool PhoneListReadFile(const QString &path, QStringList &lines, TextEncoding *encoding, QString *error)
{
    return TextFileReadDetecting(path, lines, encoding, error);
}

bool PhoneListWriteFile(const QString &path, const QStringList &lines, QString *error, TextEncoding encoding)
{
    return TextFileWrite(path, lines, error, encoding);
}
