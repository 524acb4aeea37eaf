#include "Shots.h"
#include "support/MainRig.h"

#include "about/frmAbout.h"
#include "text/frmUmlaute.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTableWidget>
#include <QTemporaryDir>

// The substitution table with the program's own seven pairs and one half-typed row, and the
// about window.
void shotsText(MainRig &rig, const QString &out)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("Umlaut.ini"));
    {
        QFile f(table);
        f.open(QIODevice::WriteOnly);
        f.write("U\xC4;\xDB;\xD6;\xDC;\xDC;\xDE;\xE4;\xFB;\xF6;\xFC;\xFC;\xFE;\xDF;\xFD\r\n");
    }
    auto *umlaute = new frmUmlaute(rig.main.get(), table);
    const auto type = [umlaute](int row, int column, const QString &keys) {
        umlaute->grdUmlaute->setCurrentCell(row, column);
        for (const QChar c : keys) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(umlaute->grdUmlaute, &press);
        }
    };
    type(8, 0, QStringLiteral("é"));
    type(8, 1, QStringLiteral("23"));
    saveShot(umlaute, out, QStringLiteral("frmUmlaute"));
    umlaute->hide();

    auto *about = new frmAbout(rig.main.get());
    saveShot(about, out, QStringLiteral("frmAbout"));
    about->hide();
}
