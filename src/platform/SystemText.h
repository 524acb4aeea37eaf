#pragma once
#include <QString>

// A system text (strerror, in English or in the language the C library speaks) or one of Qt's
// own, in German: the usual ones by name, any other system error by its number, and a text
// nobody knows as "unbekannter Fehler". The English never reaches the user.
QString GermanSystemText(const QString &systemText);
