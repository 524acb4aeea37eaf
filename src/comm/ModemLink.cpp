#include "comm/ModemLink.h"

#include <utility>

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
    // A line read in two pieces (the terminal's timer took the first) is told once it is whole.
    // What never gets a line end (the prompt "> ") is not kept, nor anything overlong.
    QString all = std::exchange(m_partialLine, QString()) + text;
    const qsizetype end = all.lastIndexOf(QLatin1Char('\n'));
    const QString rest = all.mid(end + 1);
    if (rest.size() <= kPartialLineLimit && !rest.trimmed().isEmpty() && !rest.trimmed().startsWith(QLatin1Char('>')))
        m_partialLine = rest;
    all.truncate(end + 1);
    for (QString line : all.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
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
