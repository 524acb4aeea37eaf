#pragma once
#include <QObject>
#include <QString>

class ModemLink;

// Status reports as the modem announces them with AT+CNMI <ds> 1 (27.005 3.4.1): a line
// +CDS: <fo>,<mr>,<ra>,<tora>,<scts>,<dt>,<st> in text mode, or +CDS: <length> and the PDU on the
// next line while a message goes out in PDU mode. Whoever reads the modem's lines (a modem task
// inside its answers, the terminal's receive timer, the received-messages window between tasks)
// hands them to the link; each report is recorded in the file of sent messages of the work folder,
// on the part it belongs to or as one of no known message. Made once by the main window for
// the program's run.
class DeliveryReports final : public QObject {
    Q_OBJECT
public:
    DeliveryReports(ModemLink &link, QObject *parent);

    // One line the modem sent, without its line end.
    void line(const QString &line);

private:
    int m_pduLength = -1; // a +CDS: <length> came; its PDU is the next line
};
