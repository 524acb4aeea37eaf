#pragma once
#include "modem/ModemTask.h"
#include "sms/MultiSend.h"
#include "sms/OutgoingText.h"

#include <QWidget>

class ModemLink;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "SM senden": one text message to a number taken from the phone list or typed in, or to
// several names of the list one after another. A plain text of one part goes in text mode as it
// always did; any other (Unicode, long, with a status report) in PDU mode (OutgoingText.h). The
// counter under the text says live what the text takes; after a send the window says what the
// modem answered.
class frmSendSM final : public QWidget {
    Q_OBJECT
public:
    explicit frmSendSM(ModemLink &link, QWidget *parent = nullptr);

    void RecipientsFill();
    void cmdSend_Click();
    // The names selected in lstEmpf, in list order.
    QList<Recipient> selectedRecipients() const;
    // What the text in the box makes: coding, parts, route.
    OutgoingPlan plan() const;

    QLabel *Label3 = nullptr;
    QPlainTextEdit *Eingabe = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblTextLang = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdEsc = nullptr;
    QLabel *Label1 = nullptr;
    QListWidget *lstEmpf = nullptr;
    QLineEdit *txtZielNr = nullptr;
    QPushButton *cmdAdrList = nullptr;
    QPushButton *cmdSend = nullptr;
    // Shown while a text goes to several names: breaks off before the next one.
    QPushButton *cmdAbbruch = nullptr;
    // Asks for a status report with every message; stored.
    QCheckBox *chkBericht = nullptr;
    // The progress of a send, then what came of it.
    QLabel *lblFortschritt = nullptr;
    QListWidget *lstTelNrZiel = nullptr;
    QFrame *Frame1 = nullptr;
    QFrame *Frame3D3 = nullptr;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void textChanged();
    void showRecipients(bool on);
    void send(ModemTask &task);
    void sendToSeveral(ModemTask &task, const QList<Recipient> &to);
    // Refused before anything goes to the modem, with the box that says why.
    bool refusedInput(const QStringList &numbers, const QString &text, const OutgoingPlan &plan);
    // Shown and spoken.
    void say(const QString &text);
    void recipientChanged();
    ModemLink &m_link;
};
