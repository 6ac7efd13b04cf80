#pragma once

#include <QString>

namespace zenko::platform {

// Absolute path of the running executable, symlinks resolved (the real file, not the link).
// Read from /proc/self/exe; where /proc is not mounted, whatever Qt finds (empty before a
// QCoreApplication exists).
QString ExecutablePath();

// Directory of the running executable with a trailing '/', so that "ZENKO.ini" appended to it
// names the file beside the real executable whatever the working directory. Empty when the
// executable cannot be found, which leaves a relative name relative to the working directory.
QString ExecutableDirectory();

// The executable's file name without its extension: the title of every message box.
QString ExecutableBaseName();

// Follows the symlink `linkPath` (and any link it leads to) to the file it names; a relative
// target counts from the link's own directory. Targets of any length are read in full. The
// kernel reports a running executable that has since been replaced as "<path> (deleted)"; the
// suffix is dropped so the folder and the name stay the ones the program was started from.
// Empty when `linkPath` is not a readable symlink.
QString ResolveExecutablePath(const QString& linkPath);

// The last component of `fileName` without what follows its last dot, unless that dot is the
// first character: "zenko.exe" -> "zenko", "my.app.bin" -> "my.app", ".hidden" -> ".hidden".
QString BaseNameWithoutExtension(const QString& fileName);

} // namespace zenko::platform
