#include "config/frmComScan.h"

#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "config/PortChoices.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "text/StringUtil.h"

#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
constexpr int kTickMs = 1999;
// The scan starts below the speeds a GSM modem of this kind never runs at: from position
// 11 of the speed list (56000) down to position 0 (110).
constexpr int kSteps = 12;
} // namespace

frmComScan::frmComScan(ModemLink &link, std::function<void()> receiveLoop, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_link(link), m_receiveLoop(std::move(receiveLoop))
{
    Named(this, QStringLiteral("frmComScan"));
    setWindowTitle(kComScanTitle);

    btnScan = Named(new QPushButton(QStringLiteral("&Scan All"), this), QStringLiteral("btnScan"));
    lblCounter = Named(new QLabel(QStringLiteral("0"), this), QStringLiteral("lblCounter"));
    lblBaudrate = Named(new QLabel(QStringLiteral("Baudrate"), this), QStringLiteral("lblBaudrate"));
    for (QLabel *l : {lblCounter, lblBaudrate}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(90);
    }
    sbrStatus = Named(new QStatusBar(this), QStringLiteral("sbrStatus"));
    sbrStatus->setSizeGripEnabled(false);
    sbrStatus->addWidget(new QLabel(QStringLiteral("Status"), sbrStatus), 1);
    TimerSchreib.setObjectName(QStringLiteral("TimerSchreib"));
    TimerSchreib.setInterval(kTickMs);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(12);
    grid->addWidget(btnScan, 0, 0, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Schritte:"), this), 0, 1);
    grid->addWidget(lblCounter, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Baudrate:"), this), 1, 1);
    grid->addWidget(lblBaudrate, 1, 2);
    btnScan->setMinimumHeight(48);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(grid);
    outer->addWidget(sbrStatus);

    connect(btnScan, &QPushButton::clicked, this, &frmComScan::btnScan_Click);
    connect(&TimerSchreib, &QTimer::timeout, this, &frmComScan::TimerSchreib_Timer);

    TimerSchreib.stop();
    showPortStatus();
    setFixedSize(sizeHint());
}

void frmComScan::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    lblCounter->setText(QStringLiteral("12"));
}

void frmComScan::hideEvent(QHideEvent *e)
{
    // A closed scan window sends nothing more (a minimised one goes on).
    if (!e->spontaneous())
        TimerSchreib.stop();
    QDialog::hideEvent(e);
}

void frmComScan::showPortStatus()
{
    m_link.setPanelText(1, ComStatusText(m_link.comm()));
}

void frmComScan::btnScan_Click()
{
    TimerSchreib.stop();
    QString failure;
    int counter = static_cast<int>(LeadingNumber(lblCounter->text()));
    if (counter <= 0 || counter > kSteps) {
        lblCounter->setText(QStringLiteral("12"));
    } else {
        --counter;
        lblCounter->setText(QString::number(counter));
        CommPort &comm = m_link.comm();
        if (comm.portOpen())
            comm.setPortOpen(false);
        const QString speed = portchoices::speeds().at(counter);
        lblBaudrate->setText(speed);
        if (comm.setSettings(speed + QStringLiteral(",n,8,1")) && comm.setPortOpen(true)) {
            TimerSchreib.start();
        } else {
            // The port refused the speed or another program holds it: the scan waits for the
            // next press with the port closed and nothing sent.
            comm.setPortOpen(false);
            failure = QStringLiteral("Die Schnittstelle lässt sich mit %1 Baud nicht öffnen:\n%2\n\n"
                                     "Der Scan ist angehalten; \"Scan All\" versucht die nächste Baudrate.")
                          .arg(speed, comm.lastError());
        }
    }
    showPortStatus();
    if (!failure.isEmpty())
        platform::dialogs().message(failure, MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmComScan::TimerSchreib_Timer()
{
    m_sendPhase = !m_sendPhase;
    if (m_sendPhase) {
        QString line = QStringLiteral("AT\r");
        m_link.comm().output(line);
        m_link.ShowData(line);
    } else {
        platform::dialogs().beep();
        if (m_receiveLoop)
            m_receiveLoop();
    }
}
