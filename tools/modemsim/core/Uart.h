#pragma once
// What a receiver makes of bytes sent at another speed than its own.

#include <QByteArray>

namespace modemsim {

// The bytes are laid out on the line as 8N1 frames (start bit, 8 data bits LSB first, stop
// bit, idle high between frames) at sendBaud, and read back by a receiver at receiveBaud that
// waits for a falling edge and samples the middle of each of its own bit times. Equal speeds
// give the bytes back unchanged; any other pair gives the garbage a real line shows.
QByteArray garble(const QByteArray &bytes, int sendBaud, int receiveBaud);

} // namespace modemsim
