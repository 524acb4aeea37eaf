#pragma once
#include <QString>

// The folder the program keeps its own files in (phone.lst, the SMS data files): the stored
// working folder "MyDir" when it exists, else the folder the program started in. File
// dialogs move the process's current folder, as the common dialog does on Windows, so no
// file of the program's own is looked for relative to it.
namespace platform {
QString workFolder();
// `name` inside the work folder.
QString workFile(const QString &name);
// Called once at start-up, after the stored folder has been made current.
void setStartFolder(const QString &dir);
} // namespace platform
