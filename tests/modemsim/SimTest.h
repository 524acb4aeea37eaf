#pragma once
// Helpers shared by the simulator's tests.

#include "core/Modem.h"

#include <QByteArray>
#include <QList>

namespace simtest {

inline QByteArray joined(const QList<modemsim::Chunk> &chunks)
{
    QByteArray out;
    for (const modemsim::Chunk &c : chunks)
        out += c.bytes;
    return out;
}

// Everything the modem sends back for these bytes, pauses ignored.
inline QByteArray talk(modemsim::Modem &m, const QByteArray &in)
{
    return joined(m.receive(in));
}

// The state the program's registration leaves: echo off, errors verbose, SIM unlocked,
// text mode.
inline void bringUp(modemsim::Modem &m)
{
    talk(m, "AT E0\r");
    talk(m, "AT+CMEE=2\r");
    talk(m, "AT+CPIN=\"" + m.pin() + "\"\r");
    talk(m, "AT+CMGF=1\r");
}

} // namespace simtest
