#pragma once

#include <QString>

// Where the window keeps the device's information reply: version.tmp in the current directory,
// as always. A program started from the desktop menu may find itself in a directory it cannot
// write (the root directory, say); it then uses the user's runtime directory, or the temporary
// directory when there is none.
QString scratchFilePath(const QString& currentDirectory);
