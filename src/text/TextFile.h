#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The program's own text files: Windows-1252, one byte per character, lines ended by CR LF, no
// byte-order mark.

// The lines of a file. A line ends at LF; a CR before it belongs to the line end, so files from an
// editor that writes bare LFs read the same. Nothing after the last line end is no extra line.
QStringList TextFileLinesFromBytes(const QByteArray &bytes);

// Each line followed by CR LF.
QByteArray TextFileBytesFromLines(const QStringList &lines);

// Reads the whole file. False, with no lines, when it cannot be opened or read.
bool TextFileRead(const QString &path, QStringList &lines);

// Writes the whole file through a temporary file in the same folder that replaces the old one only
// once every byte is on disk, so a full disk or a vanished folder leaves the old file whole. On
// failure *error holds the reason.
bool TextFileWrite(const QString &path, const QStringList &lines, QString *error);
