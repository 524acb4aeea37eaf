#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of phone.lst: Windows-1252, one byte per character, lines ended by CR LF, no
// byte-order mark. What the lines mean is PhoneListFormat's business.

inline const QString kPhoneListFileName = QStringLiteral("phone.lst");

// The file's lines. A line ends at LF; a CR before it is part of the line end, so "A;1" CR LF
// is three characters long, as is "A;1" LF from an editor that writes bare LFs. Nothing after
// the last line end is no extra line.
QStringList PhoneListLinesFromBytes(const QByteArray &bytes);

// Each line followed by CR LF.
QByteArray PhoneListBytesFromLines(const QStringList &lines);

// Reads the whole file. False, with no lines, when it cannot be opened or read.
bool PhoneListReadFile(const QString &path, QStringList &lines);

// Writes the whole file through a temporary file in the same folder that replaces the old one
// only once everything is on disk, so a full disk or a vanished folder leaves the old list whole.
// On failure *error holds the reason.
bool PhoneListWriteFile(const QString &path, const QStringList &lines, QString *error);
