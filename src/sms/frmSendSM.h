#pragma once
#include <QWidget>

class ModemLink;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "SM senden": one text message to one number, taken from the phone list or typed in,
// submitted in text mode with AT+CMGS.
class frmSendSM final : public QWidget {
    Q_OBJECT
public:
    explicit frmSendSM(ModemLink &link, QWidget *parent = nullptr);

    static constexpr int kSmsLength = 160;

    void RecipientsFill();
    void cmdSend_Click();
    // The message as a Windows text box holds it: line breaks are CR LF.
    QString messageText() const;

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
    QListWidget *lstTelNrZiel = nullptr;
    QFrame *Frame1 = nullptr;
    QFrame *Frame3D3 = nullptr;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void textChanged();
    void showRecipients(bool on);
    void send();
    ModemLink &m_link;
    bool m_sending = false;
};
