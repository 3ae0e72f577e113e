#pragma once

#include <QString>

// Creates every missing folder of the path, the last one included: empty
// text when the whole path exists afterwards, else the system's reason. Folders it makes get mode (less the umask): 0700
// keeps a user's reports private. error, when given, gets the errno behind the reason.
[[nodiscard]] QString createPath(const QString &folder, unsigned mode = 0777, int *error = nullptr);
