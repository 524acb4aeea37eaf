#pragma once
// What every fuzz target shares: the fuzzer's bytes turned into the texts the program's parsers
// are handed, and a check that stops the run with the broken property named.
#include "main/TerminalText.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Bytes from the serial line or a file, as the program decodes them (Windows-1252).
inline QString lineText(const uint8_t *data, size_t size)
{
    return codepage::decode(bytes(data, size));
}

// The bytes as UTF-16 code units: any character at all, lone surrogates included, as a user
// could paste into a text box.
inline QString anyText(const uint8_t *data, size_t size)
{
    return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
}

// An answer as callers get it after the terminal has shown it: every LF removed, then an LF put
// after every CR.
inline QString terminalAnswer(const QString &raw)
{
    QString s = raw;
    NormaliseLineEnds(s);
    return s;
}

} // namespace fuzz
