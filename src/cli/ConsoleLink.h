#pragma once
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "platform/Dialogs.h"

#include <QMap>
#include <QTextStream>

// The modem without a window: the port, no terminal (what the modem says is only read by the
// task that asked), the status panels kept for whoever prints them.
class ConsoleLink final : public ModemLink {
public:
    // `device`: the device to open whatever the COM number; empty for the COM mapping.
    ConsoleLink(std::unique_ptr<SerialBackend> backend, const QString &device);
    CommPort &comm() override { return m_comm; }
    void ShowData(QString &data) override;
    void setReceiveTimer(bool on) override { m_timer = on; }
    bool receiveTimer() const override { return m_timer; }
    void setPanelText(int panel, const QString &text) override { m_panels[panel] = text; }
    QString panelText(int panel) const override { return m_panels.value(panel); }

private:
    CommPort m_comm;
    bool m_timer = false;
    QMap<int, QString> m_panels;
};

// Boxes become lines on standard error; a question is answered with its safe "no".
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(QTextStream &err) : m_err(err) {}
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title) override;
    void notice(const QString &text, MsgIcon icon, const QString &title) override;
    void beep() override {}
    void setBusy(bool) override {}

protected:
    QString askFile(const FileRequest &) override { return {}; }

private:
    QTextStream &m_err;
};
