#pragma once
#include "platform/AppInfo.h"

#include <QList>
#include <QString>
#include <functional>

enum class MsgButtons { Ok, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel, Retry };

struct FileRequest {
    QString title;
    // "Beschreibung|Muster|Beschreibung|Muster", or a bare extension such as "lst".
    QString filter;
    // A save dialog. Its caller asks its own question about an existing file, so the dialog
    // asks none (two questions for one save would be one too many).
    bool save = false;
    // An open dialog in which a name not yet on disk may be typed; the caller asks its own
    // question about an existing file, so the dialog asks none.
    bool newName = false;
};

// Message boxes, file dialogs, the beep and the hourglass. Windows call these and never
// the toolkit's boxes, so a test can answer every question and record every message.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgAnswer message(const QString &text, MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None, const QString &title = kAppTitle) = 0;
    // A box with only OK that the caller does not wait for. Shown from a click in the middle
    // of an exchange, a waiting box would hold up that exchange until the user closed it.
    virtual void notice(const QString &text, MsgIcon icon = MsgIcon::Information,
                        const QString &title = kAppTitle) = 0;
    // Returns the chosen full file name, empty when cancelled. A confirmed choice makes the
    // file's folder the current directory, as the common file dialog does on Windows; the
    // phone list's folder search relies on it.
    QString chooseFile(const FileRequest &request);
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;

protected:
    virtual QString askFile(const FileRequest &request) = 0;
};

// The real boxes and dialogs (German buttons come from the loaded Qt translation).
class WidgetDialogs final : public Dialogs {
public:
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title) override;
    void notice(const QString &text, MsgIcon icon, const QString &title) override;
    void beep() override;
    void setBusy(bool busy) override;
    // "Protokolldateien (*.LOG)|*.log|Alle Dateien (*.*)|*.*" in Qt's filter form. A
    // description that names its patterns is shown as it stands (the dialog matches them
    // without regard to case); one that does not gets the patterns in both letter cases.
    static QString qtFilter(const QString &filter);

protected:
    QString askFile(const FileRequest &request) override;

private:
    int m_busy = 0;
};
