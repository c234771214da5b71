// Files beside the program: SysConfig.ini, the System and Reports folders, pictures.
#pragma once

#include <QString>

// The folder the client keeps its files in, with a trailing "/": the program's own folder,
// or $VZCLIENT_HOME when set (several users of one installation, tests).
QString ExeDir();
// ExeDir() followed by the name; Windows-style "System\\SystemSet.ini" names work too.
QString ExeDirFile(const QString &name);
// Overrides the folder for the rest of the run (tests); an empty path restores the default.
void SetExeDir(const QString &path);
