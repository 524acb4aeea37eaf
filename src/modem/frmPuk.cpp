#include "modem/frmPuk.h"

#include "modem/PinGuard.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *secretBox(QWidget *parent, const QString &name, const QString &spoken)
{
    auto *box = Named(new QLineEdit(parent), name, spoken);
    box->setEchoMode(QLineEdit::Password);
    box->setMaxLength(8);
    return box;
}

} // namespace

QString PukEntryRefusal(const QString &puk, const QString &newPin, const QString &repeated)
{
    if (!IsSimCode(puk, 8, 8))
        return QStringLiteral("Die PUK besteht aus 8 Ziffern.");
    if (!IsSimCode(newPin, 4, 8))
        return QStringLiteral("Die neue PIN besteht aus 4 bis 8 Ziffern.");
    if (newPin != repeated)
        return QStringLiteral("Die beiden Eingaben der neuen PIN stimmen nicht überein.");
    return {};
}

frmPuk::frmPuk(const QString &note, QWidget *parent) : QDialog(parent)
{
    Named(this, QStringLiteral("frmPuk"));
    setWindowTitle(QStringLiteral("SIM-Karte entsperren"));

    lblHinweis = Named(new QLabel(QStringLiteral("Die SIM-Karte ist gesperrt. Bitte die PUK und eine neue PIN "
                                                 "eingeben.\n") + note,
                                  this),
                       QStringLiteral("lblHinweis"));
    lblHinweis->setWordWrap(true);
    lblPUK = Named(new QLabel(QStringLiteral("&PUK (8 Ziffern):"), this), QStringLiteral("lblPUK"));
    txtPUK = secretBox(this, QStringLiteral("txtPUK"), QStringLiteral("PUK"));
    lblPIN = Named(new QLabel(QStringLiteral("&Neue PIN (4 bis 8 Ziffern):"), this), QStringLiteral("lblPIN"));
    txtNeuePIN = secretBox(this, QStringLiteral("txtNeuePIN"), QStringLiteral("Neue PIN"));
    lblPIN2 = Named(new QLabel(QStringLiteral("Neue PIN &wiederholen:"), this), QStringLiteral("lblPIN2"));
    txtNeuePIN2 = secretBox(this, QStringLiteral("txtNeuePIN2"), QStringLiteral("Neue PIN wiederholen"));
    lblPUK->setBuddy(txtPUK);
    lblPIN->setBuddy(txtNeuePIN);
    lblPIN2->setBuddy(txtNeuePIN2);
    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), QStringLiteral("cmdCancel"));

    auto *fields = new QGridLayout;
    fields->addWidget(lblPUK, 0, 0);
    fields->addWidget(txtPUK, 0, 1);
    fields->addWidget(lblPIN, 1, 0);
    fields->addWidget(txtNeuePIN, 1, 1);
    fields->addWidget(lblPIN2, 2, 0);
    fields->addWidget(txtNeuePIN2, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(lblHinweis);
    outer->addLayout(fields);
    outer->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmPuk::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPuk::reject);
    setFixedWidth(sizeHint().width() + 80);
}

QString frmPuk::puk() const { return txtPUK->text(); }

QString frmPuk::newPin() const { return txtNeuePIN->text(); }

void frmPuk::accept()
{
    const QString refusal = PukEntryRefusal(puk(), newPin(), txtNeuePIN2->text());
    if (refusal.isEmpty()) {
        QDialog::accept();
        return;
    }
    platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
    QLineEdit *wrong = !PukEntryRefusal(puk(), QStringLiteral("0000"), QStringLiteral("0000")).isEmpty() ? txtPUK
                                                                                                        : txtNeuePIN;
    wrong->selectAll();
    wrong->setFocus();
}
