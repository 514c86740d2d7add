#include "scratchfile.h"

#include <unistd.h>
#include <QDir>
#include <QStandardPaths>

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
