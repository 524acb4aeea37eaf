#pragma once
#include <QString>

// The terminal pane holds at most about 16000 characters; older text goes in blocks of 4096.
constexpr int kTerminalLimit = 16000;
constexpr int kTerminalDropBlock = 4096;

// Drops the oldest 4096-character blocks until the text is back within the limit. A fast
// line can bring tens of thousands of characters per tick, so one block per call would let
// the pane grow without bound.
void TrimTerminalText(QString &text);

// Removes every LF, then puts an LF after every CR: CR LF line ends only.
void NormaliseLineEnds(QString &data);

// "<65><84><13><10>": each character as its Windows-1252 code between angle brackets.
QString AsciiView(const QString &text);
