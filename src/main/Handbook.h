#pragma once
#include <QString>
#include <QUrl>

// The handbook "Hilfe" → "Handbuch" opens, found from the folder the program lies in:
// 1. the README the package installs beside the program: <prefix>/share/doc/varnix/README.md;
// 2. else its manual page, <prefix>/share/man/man1/varnix.1[.gz], as "man:varnix(1)";
// 3. else, for a program started from its build folder, the README of the source tree that
//    build was configured from (named in the build folder's CMakeCache.txt).
// Empty when there is none.
QUrl FindHandbook(const QString &programDir);
