#pragma once
#include <QString>

// The terminal pane holds at most about 16000 characters; older text goes in blocks of 4096.
constexpr int kTerminalLimit = 16000;
constexpr int kTerminalDropBlock = 4096;

// Drops the oldest 4096-character blocks until the text is back within the limit. A fast
// line can bring tens of thousands of characters per tick, so one block per call would let
// the pane grow without bound.
void TrimTerminalText(QString &text);

// How many characters the pane drops from its front before the next append, as the pane
// counts them (a CR LF line end is one); a cut between CR and LF takes the LF along.
qsizetype TerminalDropCount(const QString &text);

// Removes every LF, then puts an LF after every CR: CR LF line ends only.
void NormaliseLineEnds(QString &data);

// What of one call's text (CR LF line ends) goes into the pane, with LF line ends: at most
// its last kTerminalLimit characters, since the pane keeps no more than that anyway and a
// megabyte on one line takes the layout many seconds; a NUL as "<0>", as the ASCII view
// writes it, because a NUL ends the text for a screen reader. The log gets the text itself.
QString PaneText(const QString &data);

// "<65><84><13><10>": each character as its Windows-1252 code between angle brackets.
QString AsciiView(const QString &text);
