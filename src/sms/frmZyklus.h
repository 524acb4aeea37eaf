#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

constexpr int kDefaultPollInterval = 9999;
constexpr int kMaxPollInterval = 60000;

// The polling interval in milliseconds from the settings store (9999 when nothing is stored):
// its leading number, rounded, within 0 to 60000.
int StoredPollInterval();

// The interval from the seconds typed into the dialog: the leading number times 1000, rounded.
// More than 60 s becomes 60000 and sets *capped; empty, negative or non-numeric text gives 0,
// which stops automatic polling.
int PollIntervalFromSeconds(const QString &text, bool *capped);

// The interval in seconds as the dialog shows it: 9999 ms is "9.999", 15000 ms "15".
QString PollSecondsText(int ms);

// "Einstellung der Zykluszeit": the polling interval in seconds, by slider (10 s to 1 min) or
// typed. Modal; after Accepted, interval() holds the new value in milliseconds.
class frmZyklus final : public QDialog {
    Q_OBJECT
public:
    explicit frmZyklus(int intervalMs, QWidget *parent = nullptr);

    int interval() const { return m_interval; }

    QLabel *Label4 = nullptr;
    QSlider *sldZyklus = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *edZyklus = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdClose = nullptr;

private:
    void cmdOK_Click();
    void textChanged(const QString &text);
    void sliderChanged(int value);

    int m_interval;
    bool m_fromText = false; // the slider follows the text: do not write the text back
};
