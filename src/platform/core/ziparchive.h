#pragma once
// ZIP archives through libzip: unpacking the help archives, and packing a
// folder or a file. Unpacking never writes outside the target folder.

#include <QString>
#include <QStringList>

struct ZipResult {
    bool ok = true;         // false: `error` says what failed
    QString error;
    int files = 0;          // files written (UNZIP) or packed (ZIPFOLDER, ZIPFILE)
    QStringList refused;    // entries not unpacked: absolute, "..", links
};

// `action` (any case):
//   "UNZIP"     unpacks archive `path1` into folder `path2` (created when missing);
//   "ZIPFOLDER" packs the contents of folder `path1` into a new archive `path2`;
//   "ZIPFILE"   packs the file `path1` into a new archive `path2`.
// The archive gets ".zip" when its name does not end in ".zip" (any case).
// Nothing is done when either path is empty or the action is unknown.
ZipResult ZipShellOperation(const QString& action, const QString& path1, const QString& path2);
