#pragma once
#include "modem/ModemTask.h"
#include "sms/MultiSend.h"

#include <QWidget>

class ModemLink;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "SM senden": one text message to a number taken from the phone list or typed in, or to
// several names of the list one after another, submitted in text mode with AT+CMGS.
class frmSendSM final : public QWidget {
    Q_OBJECT
public:
    explicit frmSendSM(ModemLink &link, QWidget *parent = nullptr);

    static constexpr int kSmsLength = 160;

    void RecipientsFill();
    void cmdSend_Click();
    // The message as a Windows text box holds it: line breaks are CR LF.
    QString messageText() const;
    // The names selected in lstEmpf, in list order.
    QList<Recipient> selectedRecipients() const;

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
    // AT+CMGS for `number`, and the text once the prompt has come. False without a prompt.
    bool submit(ModemTask &task, const QString &number, const QString &text, ModemTask::Reply &reply);
    bool refusedInput(const QStringList &numbers, const QString &text);
    void recipientChanged();
    ModemLink &m_link;
};
