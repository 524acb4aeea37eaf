#include "comm/ModemTurn.h"

#include "comm/ModemLink.h"
#include "platform/Platform.h"

ModemTurn::ModemTurn(ModemLink &link, const void *holder, const QString &task) : m_link(link)
{
    if (link.m_depth > 0 && link.m_holder != holder)
        return;
    if (link.m_depth++ == 0) {
        link.m_holder = holder;
        link.m_task = task;
    }
    m_taken = true;
}

ModemTurn::~ModemTurn()
{
    if (m_taken && --m_link.m_depth == 0) {
        m_link.m_holder = nullptr;
        m_link.m_task.clear();
    }
}

bool ModemTurn::takenOrSaid() const
{
    if (!m_taken)
        platform::dialogs().notice(ModemBusyMessage(m_link.modemTask()));
    return m_taken;
}

QString ModemBusyMessage(const QString &task)
{
    return QStringLiteral("Das Modem ist gerade mit „%1“ beschäftigt.\nBitte warten, bis das fertig ist.").arg(task);
}
