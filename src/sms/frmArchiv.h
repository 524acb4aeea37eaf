#pragma once
#include <QWidget>

class ArchiveModel;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// "Nachrichtenarchiv": every message of the SMS data files in the work folder, newest first,
// with the phone-list name beside a known number, searchable by number, name and text. It
// reads files only and never talks to the modem. Unloaded when closed.
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
    void search(const QString &query);
    void exportShown();
    void afterReset();
    void showCount();
    void showCurrent();

    ArchiveModel *m_model = nullptr;
};
