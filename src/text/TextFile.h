#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The program's own text files: Windows-1252, one byte per character, lines ended by CR LF, no
// byte-order mark. The list files may also come from an editor that writes UTF-8; they are read
// as such and written back the way they came.

enum class TextEncoding {
    Windows1252,
    Utf8,
    Utf8WithBom, // EF BB BF in front, kept when the file is written again
};

// The most any text file of the program may hold. A phone list of several hundred thousand
// entries stays well below it; a device, a link to /dev/zero or a stray binary file does not.
inline constexpr qint64 kTextFileMaxBytes = 32 * 1024 * 1024;

// How the bytes of a file are to be read: UTF-8 when they are valid UTF-8 and not plain ASCII
// (or begin with its byte-order mark), Windows-1252 otherwise. Plain ASCII is the same in both
// and stays Windows-1252, so what is typed into it later is saved as the program always did.
TextEncoding TextEncodingOf(const QByteArray &bytes);

// The lines of a file. A line ends at LF; a CR before it belongs to the line end, so files from an
// editor that writes bare LFs read the same. Nothing after the last line end is no extra line.
// A UTF-8 byte-order mark is not part of the first line.
QStringList TextFileLinesFromBytes(const QByteArray &bytes, TextEncoding encoding = TextEncoding::Windows1252);

// Each line followed by CR LF (after the byte-order mark where the encoding has one).
QByteArray TextFileBytesFromLines(const QStringList &lines, TextEncoding encoding = TextEncoding::Windows1252);

// Whether every character of the text can be written in the encoding (UTF-8 carries them all).
bool TextEncodingCarries(TextEncoding encoding, const QString &text);

// Reads at most maxBytes of a regular file. False, with a German reason in *error, when the file
// is missing, is no regular file (a folder, a FIFO, a device: never opened, so nothing blocks),
// cannot be read, or is larger than maxBytes (nothing beyond maxBytes + 1 bytes is read).
bool TextFileReadBytes(const QString &path, QByteArray &bytes, QString *error, qint64 maxBytes = kTextFileMaxBytes);

// Reads the whole file as Windows-1252. False, with no lines, when it cannot be read (see
// TextFileReadBytes); *error, when given, holds the reason.
bool TextFileRead(const QString &path, QStringList &lines);
bool TextFileRead(const QString &path, QStringList &lines, QString *error, qint64 maxBytes = kTextFileMaxBytes);

// Reads the whole file in the encoding its bytes show (TextEncodingOf); *encoding receives it
// (Windows-1252 when the file could not be read).
bool TextFileReadDetecting(const QString &path, QStringList &lines, TextEncoding *encoding, QString *error,
                           qint64 maxBytes = kTextFileMaxBytes);

// Writes the whole file through a temporary file in the same folder that replaces the old one only
// once every byte is on disk, so a full disk or a vanished folder leaves the old file whole. On
// failure *error holds the reason.
bool TextFileWrite(const QString &path, const QStringList &lines, QString *error,
                   TextEncoding encoding = TextEncoding::Windows1252);
// The bytes as the whole new content of `path`, through a temporary file and a rename: a failed
// write leaves the old file. *error says why in German.
bool TextFileWriteBytes(const QString &path, const QByteArray &bytes, QString *error);
