#include "scratchfile.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

QString scratchFilePath(const QString& currentDirectory) {
    const QString name = QStringLiteral("version.tmp");
    if (::access(QFile::encodeName(currentDirectory).constData(), W_OK) == 0) {
        return name;
    }
    QString fallback = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (fallback.isEmpty()) {
        fallback = QDir::tempPath();
    }
    return QDir(fallback).filePath(name);
}
