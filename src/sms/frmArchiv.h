#pragma once
#include "sms/PhoneNames.h"
#include "sms/SmsArchive.h"

#include <QPointer>
#include <QWidget>

class ArchiveModel;
class SentStore;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// "Nachrichtenarchiv": every message of the SMS data files in the work folder and every message
// sent from there, newest first, with the phone-list name beside a known number and the state of
// a sent message (status reports show as they come), searchable by number, name, state and text.
// It reads files only and never talks to the modem. Unloaded when closed.
class frmArchiv final : public QWidget {
    Q_OBJECT
public:
    explicit frmArchiv(QWidget *parent = nullptr);

    // Reads the files again (new messages, an edited phone list); the search stays.
    void reload();
    ArchiveModel *model() const { return m_model; }

    QSize sizeHint() const override;

    QLabel *lblSuche = nullptr;
    QLineEdit *txtSuche = nullptr;
    QLabel *lblAnzahl = nullptr;
    QTableView *grdArchiv = nullptr;
    QPlainTextEdit *txtNachricht = nullptr;
    QPushButton *cmdNeu = nullptr;
    // What the search shows, as a table (CSV) or a mailbox (mbox).
    QPushButton *cmdExport = nullptr;
    QPushButton *cmdClose = nullptr;
    QLabel *sbrMeldung = nullptr;

private:
    // The sent messages anew; `keep` the row to stay current ("": the newest).
    void showSent(const QString &keep);
    QString currentKey() const;
    void search(const QString &query);
    void exportShown();
    void afterReset();
    void showCount();
    void showCurrent();

    ArchiveModel *m_model = nullptr;
    QPointer<SentStore> m_store;
    ArchiveLoad m_counts; // what the last reading found, without the messages
    PhoneNames m_names;
    QString m_keep; // the row to keep current when the model is filled again
};
