#pragma once
#include "text/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of phone.lst and of the SIM list files: Windows-1252, one byte per character, lines
// ended by CR LF, no byte-order mark; a list an editor wrote in UTF-8 is read as UTF-8 and
// written back so. What the lines mean is PhoneListFormat's business.

inline const QString kPhoneListFileName = QStringLiteral("phone.lst");

// The file's lines. A line ends at LF; a CR before it is part of the line end, so "A;1" CR LF
// is three characters long, as is "A;1" LF from an editor that writes bare LFs. Nothing after
// the last line end is no extra line.
QStringList PhoneListLinesFromBytes(const QByteArray &bytes, TextEncoding encoding = TextEncoding::Windows1252);

// Each line followed by CR LF.
QByteArray PhoneListBytesFromLines(const QStringList &lines, TextEncoding encoding = TextEncoding::Windows1252);

// Reads the whole file, up to kTextFileMaxBytes, in the encoding its bytes show. False, with no
// lines, when it cannot be read; *error (when given) then holds a German reason and *encoding
// (when given) Windows-1252.
bool PhoneListReadFile(const QString &path, QStringList &lines, TextEncoding *encoding = nullptr,
                       QString *error = nullptr);

// Writes the whole file through a temporary file in the same folder that replaces the old one
// only once everything is on disk, so a full disk or a vanished folder leaves the old list whole.
// On failure *error holds the reason.
bool PhoneListWriteFile(const QString &path, const QStringList &lines, QString *error,
                        TextEncoding encoding = TextEncoding::Windows1252);
