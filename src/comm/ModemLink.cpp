#include "comm/ModemLink.h"

void ModemLink::holdReceiveTimer()
{
    if (m_timerHolds++ == 0)
        setReceiveTimer(false);
}

void ModemLink::releaseReceiveTimer()
{
    if (m_timerHolds > 0 && --m_timerHolds == 0)
        setReceiveTimer(true);
}

int ModemLink::addLineListener(LineListener listener)
{
    const int id = m_nextListener++;
    m_lineListeners.insert(id, std::move(listener));
    return id;
}

void ModemLink::removeLineListener(int id) { m_lineListeners.remove(id); }

void ModemLink::modemSent(const QString &text)
{
    if (m_lineListeners.isEmpty())
        return;
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        // A listener may go (its window closes) while another is told.
        const QList<int> ids = m_lineListeners.keys();
        for (int id : ids) {
            if (const auto it = m_lineListeners.constFind(id); it != m_lineListeners.constEnd())
                it.value()(line);
        }
    }
}
