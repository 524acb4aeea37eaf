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
