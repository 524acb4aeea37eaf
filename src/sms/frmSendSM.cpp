#include "sms/frmSendSM.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "phonelist/frmTelNr.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "sms/MessageSend.h"
#include "sms/SentStore.h"
#include "text/AtInput.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kNothingSent = QStringLiteral(" Es wurde nichts gesendet.");

int storedMaxParts()
{
    bool ok = false;
    const int n = platform::settings().get(keys::MaxParts).toInt(&ok);
    return ok ? std::clamp(n, 1, kMostParts) : kDefaultMaxParts;
}

} // namespace

frmSendSM::frmSendSM(ModemLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    Named(this, QStringLiteral("frmSendSM"));
    setWindowTitle(QStringLiteral("SM senden"));

    Frame3D3 = Named(new QFrame(this), QStringLiteral("Frame3D3"));
    Frame3D3->setFrameShape(QFrame::StyledPanel);
    Frame3D3->setFrameShadow(QFrame::Raised);
    Label3 = Named(new QLabel(QStringLiteral("Text eingeben"), Frame3D3), QStringLiteral("Label3"));
    Eingabe = Named(new QPlainTextEdit(Frame3D3), QStringLiteral("Eingabe"), QStringLiteral("Nachrichtentext"));
    Eingabe->setTabChangesFocus(true);
    Label3->setBuddy(Eingabe);
    Label2 = Named(new QLabel(QStringLiteral("Länge:"), Frame3D3), QStringLiteral("Label2"));
    // Its accessible name is rewritten with the count (textChanged).
    lblTextLang = Named(new QLabel(Frame3D3), QStringLiteral("lblTextLang"));
    lblTextLang->setWordWrap(true);
    Label2->setBuddy(Eingabe);
    cmdDelete = Named(new QPushButton(QStringLiteral("&Löschen"), Frame3D3), QStringLiteral("cmdDelete"));
    cmdNext = Named(new QPushButton(QStringLiteral("> Weiter"), Frame3D3), QStringLiteral("cmdNext"));
    cmdBack = Named(new QPushButton(QStringLiteral("< Zurück"), Frame3D3), QStringLiteral("cmdBack"));
    cmdEsc = Named(new QPushButton(QStringLiteral("S&chließen"), Frame3D3), QStringLiteral("cmdEsc"));

    Frame1 = Named(new QFrame(Frame3D3), QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::VLine);
    Frame1->setFrameShadow(QFrame::Sunken);
    Label1 = Named(new QLabel(QStringLiteral("Telefonnummer des Empfängers"), Frame3D3), QStringLiteral("Label1"));
    lstEmpf = Named(new QListWidget(Frame3D3), QStringLiteral("lstEmpf"), QStringLiteral("Empfänger"));
    // Ctrl and Shift pick several names; the same text then goes to each.
    lstEmpf->setSelectionMode(QAbstractItemView::ExtendedSelection);
    txtZielNr = Named(new QLineEdit(Frame3D3), QStringLiteral("txtZielNr"), QStringLiteral("Rufnummer des Empfängers"));
    cmdAdrList = Named(new QPushButton(QStringLiteral("&Telefonliste bearbeiten"), Frame3D3),
                       QStringLiteral("cmdAdrList"));
    cmdSend = Named(new QPushButton(QStringLiteral("&Senden"), Frame3D3), QStringLiteral("cmdSend"));
    cmdAbbruch = Named(new QPushButton(QStringLiteral("&Abbrechen"), Frame3D3), QStringLiteral("cmdAbbruch"));
    cmdAbbruch->hide();
    chkBericht = Named(new QCheckBox(QStringLiteral("&Empfangsbestätigung anfordern"), Frame3D3),
                       QStringLiteral("chkBericht"));
    chkBericht->setChecked(platform::settings().get(keys::DeliveryReport) == QLatin1String("1"));
    lblFortschritt = Named(new QLabel(Frame3D3), QStringLiteral("lblFortschritt"));
    lblFortschritt->setWordWrap(true);
    lstTelNrZiel = Named(new QListWidget(this), QStringLiteral("lstTelNrZiel"), QStringLiteral("Rufnummern"));
    lstTelNrZiel->hide();

    auto *grid = new QGridLayout(Frame3D3);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->addWidget(Label3, 0, 0, 1, 3);
    grid->addWidget(Eingabe, 1, 0, 1, 3);
    auto *lengthRow = new QHBoxLayout;
    lengthRow->setSpacing(6);
    lengthRow->addWidget(Label2);
    lengthRow->addWidget(lblTextLang, 1);
    lengthRow->addWidget(cmdDelete);
    grid->addLayout(lengthRow, 2, 0, 1, 3);
    grid->addWidget(cmdBack, 3, 0);
    grid->addWidget(cmdNext, 3, 1);
    grid->addWidget(cmdEsc, 3, 2);
    grid->addWidget(Frame1, 0, 3, 4, 1);
    grid->addWidget(Label1, 0, 4);
    grid->addWidget(lstEmpf, 1, 4);
    auto *numberCol = new QVBoxLayout;
    numberCol->addWidget(txtZielNr);
    numberCol->addWidget(cmdAdrList);
    numberCol->addWidget(chkBericht);
    grid->addLayout(numberCol, 2, 4);
    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(cmdSend, 1);
    sendRow->addWidget(cmdAbbruch, 1);
    grid->addLayout(sendRow, 3, 4);
    grid->addWidget(lblFortschritt, 4, 0, 1, 5);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 3);
    // The recipient column keeps its room while hidden, so the window does not jump.
    grid->setColumnMinimumWidth(4, 200);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(Frame3D3);

    connect(Eingabe, &QPlainTextEdit::textChanged, this, &frmSendSM::textChanged);
    connect(chkBericht, &QCheckBox::toggled, this, [this](bool on) {
        platform::settings().set(keys::DeliveryReport, on ? QStringLiteral("1") : QStringLiteral("0"));
        textChanged();
    });
    connect(cmdDelete, &QPushButton::clicked, Eingabe, &QPlainTextEdit::clear);
    connect(cmdNext, &QPushButton::clicked, this, [this] { showRecipients(true); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { showRecipients(false); });
    connect(cmdEsc, &QPushButton::clicked, this, &QWidget::hide);
    connect(lstEmpf, &QListWidget::currentRowChanged, this, &frmSendSM::recipientChanged);
    connect(lstEmpf, &QListWidget::itemSelectionChanged, this, &frmSendSM::recipientChanged);
    connect(cmdAbbruch, &QPushButton::clicked, this, [this] { ModemTask::cancelFor(m_link, this); });
    connect(cmdAdrList, &QPushButton::clicked, this, [this] {
        frmTelNr::Instance(parentWidget()).ShowModal();
        RecipientsFill();
    });
    connect(cmdSend, &QPushButton::clicked, this, &frmSendSM::cmdSend_Click);

    // Load: empty text, the phone list read through the (hidden) phone-list window.
    Eingabe->setPlainText(QString());
    textChanged();
    frmTelNr::Instance(parentWidget()).PhListOpen();
    // 6945 x 5265 twips, widened by the same measure as the other windows for today's fonts.
    resize(twips::toPx(6945), twips::toPx(5265) - 30);
    RecipientsFill();
    showRecipients(false);
}

OutgoingPlan frmSendSM::plan() const
{
    return PlanOutgoing(Eingabe->toPlainText(), chkBericht->isChecked(), storedMaxParts());
}

void frmSendSM::textChanged()
{
    const OutgoingPlan p = plan();
    // Rewritten only when it changes: every keystroke comes here, and a new palette or caption
    // costs a polish and a layout of the window.
    if (const QString shown = CounterText(p); shown != lblTextLang->text()) {
        lblTextLang->setText(shown);
        lblTextLang->setAccessibleName(CounterSpoken(p));
    }
    // Red only when the text cannot go: more parts than a message may have.
    const QColor base = p.tooLong() ? QColor(255, 0, 0) : QColor(255, 255, 255);
    if (Eingabe->palette().color(QPalette::Base) != base) {
        QPalette pal = Eingabe->palette();
        pal.setColor(QPalette::Base, base);
        Eingabe->setPalette(pal);
    }
}

void frmSendSM::say(const QString &text)
{
    lblFortschritt->setText(text);
    lblFortschritt->setAccessibleName(text);
}

void frmSendSM::showRecipients(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(cmdAdrList), static_cast<QWidget *>(lstEmpf),
                       static_cast<QWidget *>(Label1), static_cast<QWidget *>(txtZielNr),
                       static_cast<QWidget *>(cmdSend), static_cast<QWidget *>(chkBericht)})
        w->setVisible(on);
}

void frmSendSM::recipientChanged()
{
    const QList<Recipient> to = selectedRecipients();
    if (to.size() > 1) {
        txtZielNr->setEnabled(false);
        txtZielNr->setText(QStringLiteral("%1 Empfänger").arg(to.size()));
        return;
    }
    txtZielNr->setEnabled(true);
    if (to.size() == 1) {
        txtZielNr->setText(to.first().number);
        return;
    }
    const int row = lstEmpf->currentRow();
    if (row >= 0 && row < lstTelNrZiel->count())
        txtZielNr->setText(lstTelNrZiel->item(row)->text());
}

QList<Recipient> frmSendSM::selectedRecipients() const
{
    QList<Recipient> to;
    for (int i = 0; i < lstEmpf->count() && i < lstTelNrZiel->count(); ++i) {
        if (lstEmpf->item(i)->isSelected())
            to.append({lstEmpf->item(i)->text(), lstTelNrZiel->item(i)->text()});
    }
    return to;
}

void frmSendSM::RecipientsFill()
{
    lstEmpf->clear();
    lstTelNrZiel->clear();
    const HeaderGrid *grid = frmTelNr::Instance(parentWidget()).tabTelefon;
    for (int r = 1; r < grid->rowCount(); ++r) {
        // Rows left empty by the editor (a fresh grid, a deleted entry) are no recipients.
        if (grid->cell(r, 1).isEmpty() && grid->cell(r, 2).isEmpty())
            continue;
        lstEmpf->addItem(grid->cell(r, 1));
        lstTelNrZiel->addItem(grid->cell(r, 2));
    }
    if (lstEmpf->count() > 0)
        lstEmpf->setCurrentRow(0);
}

void frmSendSM::closeEvent(QCloseEvent *e)
{
    // Hidden, not destroyed: a send may still wait for the modem's prompt, and the text
    // and recipients are kept for the next showing. A text going to several names stops
    // before the next one: nobody would see it go on.
    ModemTask::cancelFor(m_link, this);
    hide();
    e->ignore();
}

void frmSendSM::cmdSend_Click()
{
    // A click while the modem's prompt is awaited would interleave two messages: the task
    // refuses it.
    ModemTask task(m_link, this, windowTitle());
    if (!task)
        return;
    const QList<Recipient> to = selectedRecipients();
    if (to.size() > 1)
        sendToSeveral(task, to);
    else
        send(task);
}

bool frmSendSM::refusedInput(const QStringList &numbers, const QString &text, const OutgoingPlan &plan)
{
    auto &ui = platform::dialogs();
    for (const QString &number : numbers) {
        if (!IsSafeQuotedParameter(number)) {
            ui.message(kUnsafeParameterMessage);
            return true;
        }
    }
    if (!IsSafeMessageBody(text)) {
        ui.message(kUnsafeBodyMessage);
        return true;
    }
    if (const QString why = TextRefusal(text, plan); !why.isEmpty()) {
        ui.message(why);
        return true;
    }
    return false;
}

void frmSendSM::send(ModemTask &task)
{
    auto &ui = platform::dialogs();
    if (!PortIsOpen(m_link))
        return;
    const QString typed = txtZielNr->text();
    const QString text = Eingabe->toPlainText();
    const OutgoingPlan p = plan();
    if (refusedInput({typed}, text, p))
        return;
    const QString number = DialledNumber(typed);
    if (number.isEmpty()) {
        ui.message(typed.trimmed().isEmpty()
                       ? QStringLiteral("Bitte die Telefonnummer des Empfängers eingeben.") + kNothingSent
                       : QStringLiteral("„%1“ ist keine Telefonnummer: erlaubt sind Ziffern, am Anfang ein +, "
                                        "dazwischen Leerzeichen und - / ( ).")
                                 .arg(typed) +
                             kNothingSent);
        return;
    }
    if (!number.startsWith(QLatin1String("00")) && !number.startsWith(QLatin1Char('+'))
        && ui.message(QStringLiteral("Telefonnummer am Anfang falsch! \r\nTrotzdem senden?"), MsgButtons::YesNo)
               == MsgAnswer::No)
        return;

    const QList<Recipient> picked = selectedRecipients();
    SendJob job{number, picked.size() == 1 && picked.first().number == typed ? picked.first().name : QString(), p,
                chkBericht->isChecked()};
    const SendResult result = SendMessage(task, SentStore::current(), job, [this](int part, int total) {
        if (total > 1)
            say(QStringLiteral("Teil %1 von %2 wird gesendet …").arg(part).arg(total));
    });
    say(SendResultText(result, job.statusReport));
}

void frmSendSM::sendToSeveral(ModemTask &task, const QList<Recipient> &to)
{
    auto &ui = platform::dialogs();
    if (!PortIsOpen(m_link))
        return;
    QStringList numbers;
    for (const Recipient &r : to)
        numbers.append(r.number);
    const QString text = Eingabe->toPlainText();
    const OutgoingPlan p = plan();
    if (refusedInput(numbers, text, p))
        return;
    QStringList noNumber;
    for (const Recipient &r : to) {
        if (DialledNumber(r.number).isEmpty())
            noNumber.append(QStringLiteral("%1 (%2)").arg(r.label(), r.number));
    }
    if (!noNumber.isEmpty()) {
        ui.message(QStringLiteral("Diese Einträge haben keine gültige Telefonnummer:\r\n") +
                   noNumber.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nEs wurde nichts gesendet."));
        return;
    }
    const QStringList national = NationalNumbers(to);
    if (!national.isEmpty()
        && ui.message(QStringLiteral("Diese Nummern beginnen weder mit 00 noch mit +:\r\n") + national.join(QStringLiteral("\r\n"))
                          + QStringLiteral("\r\nTrotzdem an alle senden?"),
                      MsgButtons::YesNo)
               == MsgAnswer::No)
        return;

    cmdAbbruch->show();
    QList<SendOutcome> outcomes;
    bool brokenOff = false;
    bool modemSilent = false;
    for (int i = 0; i < to.size(); ++i) {
        SendOutcome outcome;
        outcome.to = to.at(i);
        if (task.cancelled() || modemSilent) {
            brokenOff = brokenOff || task.cancelled();
            outcome.reason = task.cancelled() ? QStringLiteral("abgebrochen") : QStringLiteral("nicht versucht");
            outcomes.append(outcome);
            continue;
        }
        const QString progress = MultiSendProgress(i + 1, int(to.size()));
        say(progress);
        // Each name its own message, one after the other: the next AT+CMGS waits for this answer.
        const SendJob job{DialledNumber(to.at(i).number), to.at(i).name, p, chkBericht->isChecked()};
        const SendResult result = SendMessage(task, SentStore::current(), job, [&](int part, int total) {
            if (total > 1)
                say(QStringLiteral("%1 Teil %2 von %3").arg(progress).arg(part).arg(total));
        });
        outcome.state = result.ok() ? SendState::Sent : SendState::Failed;
        if (!result.ok())
            outcome.reason = result.parts > 1 ? QStringLiteral("Teil %1 von %2: %3")
                                                    .arg(result.failedPart)
                                                    .arg(result.parts)
                                                    .arg(result.reason)
                                              : result.reason;
        // A modem that has fallen silent (or gone) would only collect a time-out for every name.
        modemSilent = result.timedOut || m_link.comm().lost();
        outcomes.append(outcome);
    }
    cmdAbbruch->hide();
    say(QString());
    const bool allSent = std::all_of(outcomes.begin(), outcomes.end(),
                                     [](const SendOutcome &o) { return o.state == SendState::Sent; });
    ui.message(MultiSendSummary(outcomes, brokenOff), MsgButtons::Ok,
               allSent ? MsgIcon::Information : MsgIcon::Exclamation);
}
