#include "sms/DeliveryReports.h"

#include "comm/ModemLink.h"
#include "sms/SendAnswers.h"
#include "sms/SentStore.h"

#include <QPointer>

#include <utility>

DeliveryReports::DeliveryReports(ModemLink &link, QObject *parent) : QObject(parent)
{
    // The link lives as long as the main window, which owns this object; the listener stays
    // with the link and does nothing once this object is gone.
    QPointer<DeliveryReports> self(this);
    link.addLineListener([self](const QString &l) {
        if (self)
            self->line(l);
    });
}

void DeliveryReports::line(const QString &line)
{
    std::optional<StatusReport> report;
    // The line after +CDS: <length> is its PDU; anything else is read as a line of its own.
    if (const int length = std::exchange(m_pduLength, -1); length > 0)
        report = StatusReportPdu(line, length);
    if (!report) {
        if (const std::optional<int> length = CdsPduLength(line)) {
            m_pduLength = *length;
            return;
        }
        report = CdsTextReport(line);
    }
    if (report)
        SentStore::current().report(*report);
}
