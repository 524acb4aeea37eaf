#pragma once
#include "about/ProgramVersion.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "Info zu Varnix": name, version, description and a warning, and a button that starts the
// system's information tool. Made anew each time it is shown; it keeps no state.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr, const ProgramVersion &version = ProgramVersionOfThisBuild());

    // Starts the system-information tool, or says it is not available.
    void StartSysInfo();
    // A value under a registry root (see GetKeyValue in SysInfo.h), through platform::registry().
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal);

    QLabel *Picture1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QFrame *Line1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
};
