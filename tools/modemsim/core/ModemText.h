#pragma once
// Small pieces of answer text shared by the modem's source files.

#include <QByteArray>

namespace modemsim {

inline QByteArray quoted(const QByteArray &s) { return '"' + s + '"'; }
inline QByteArray num(int v) { return QByteArray::number(v); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace modemsim
