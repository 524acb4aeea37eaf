#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "SIM-Karte entsperren": asks for the PUK and a new PIN, twice. OK is taken only when the PUK
// has 8 digits and the new PIN 4 to 8, both alike; the dialog hands the two back and sends
// nothing itself.
class frmPuk final : public QDialog {
    Q_OBJECT
public:
    explicit frmPuk(const QString &note, QWidget *parent = nullptr);

    QString puk() const;
    QString newPin() const;

    QLabel *lblHinweis = nullptr;
    QLabel *lblPUK = nullptr;
    QLineEdit *txtPUK = nullptr;
    QLabel *lblPIN = nullptr;
    QLineEdit *txtNeuePIN = nullptr;
    QLabel *lblPIN2 = nullptr;
    QLineEdit *txtNeuePIN2 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void accept() override;
};

// The message for the first fault of the entries, or "" when they can be sent.
QString PukEntryRefusal(const QString &puk, const QString &newPin, const QString &repeated);
