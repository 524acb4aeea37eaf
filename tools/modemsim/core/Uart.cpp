#include "core/Uart.h"

namespace modemsim {

namespace {

// Time runs in units of 1 / (2 * sendBaud * receiveBaud) seconds, so both bit times and the
// receiver's half bit are whole numbers.
class Line {
public:
    Line(const QByteArray &bytes, qint64 bitTime) : m_bytes(bytes), m_bit(bitTime) {}

    qint64 cells() const { return qint64(m_bytes.size()) * 10; }
    qint64 end() const { return cells() * m_bit; }

    int levelOfCell(qint64 cell) const
    {
        if (cell >= cells())
            return 1;
        const int bit = int(cell % 10);
        if (bit == 0)
            return 0;
        if (bit == 9)
            return 1;
        return (quint8(m_bytes[int(cell / 10)]) >> (bit - 1)) & 1;
    }
    int level(qint64 t) const { return levelOfCell(t / m_bit); }

    // The first time at or after t at which the line has the given level; -1 if never.
    qint64 next(qint64 t, int lvl) const
    {
        for (qint64 cell = t / m_bit; cell < cells(); ++cell) {
            if (levelOfCell(cell) == lvl)
                return qMax(t, cell * m_bit);
        }
        return lvl == 1 ? qMax(t, end()) : -1;
    }

private:
    QByteArray m_bytes;
    qint64 m_bit;
};

} // namespace

QByteArray garble(const QByteArray &bytes, int sendBaud, int receiveBaud)
{
    if (sendBaud <= 0 || receiveBaud <= 0 || sendBaud == receiveBaud)
        return bytes;
    const qint64 sendBit = 2 * qint64(receiveBaud);
    const qint64 recvBit = 2 * qint64(sendBaud);
    const qint64 halfRecvBit = sendBaud;
    const Line line(bytes, sendBit);

    QByteArray out;
    qint64 t = 0;
    bool idle = true; // the line rests high before the first frame
    while (true) {
        // A frame starts on a falling edge: after a frame the line must be seen high first.
        if (!idle)
            t = line.next(t, 1);
        idle = false;
        t = line.next(t, 0);
        if (t < 0)
            break;
        const qint64 start = t;
        if (line.level(start + halfRecvBit) != 0) {
            t = start + halfRecvBit; // a glitch, not a start bit
            continue;
        }
        quint8 byte = 0;
        for (int i = 0; i < 8; ++i) {
            if (line.level(start + halfRecvBit + (i + 1) * recvBit))
                byte |= quint8(1u << i);
        }
        out += char(byte);
        t = start + halfRecvBit + 9 * recvBit; // the middle of the stop bit
    }
    return out;
}

} // namespace modemsim
