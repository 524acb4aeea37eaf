#pragma once
#include <QByteArray>
#include <QString>

// The serial line and every file the program writes carry Windows-1252, one byte per
// character. These two functions are the only place where bytes become text and back.
namespace codepage {

// Every byte value 0..255 maps to exactly one character, so received data survives a
// round trip unchanged; the five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control characters of the same value, as Windows itself does.
QString decode(const QByteArray &bytes);

// Characters outside Windows-1252 become "?".
QByteArray encode(QStringView text);

// The byte 0x80..0x9F that stands for `u`, or -1 when the code page cannot carry it.
int highByteOf(char16_t u);

// The Windows-1252 byte of one character, or -1 when the code page cannot carry it. Most of
// any text is Latin-1, which maps one to one; only the rest needs the table.
inline int byteOf(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) ? u : highByteOf(u);
}

} // namespace codepage
