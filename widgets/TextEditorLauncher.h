#pragma once

#include <QString>

// Opens a written text file for the user: the editor named by $VISUAL, else
// $EDITOR (a command line; the file is added as its last argument), else
// the desktop's default application for text files (xdg-open). False when
// nothing could be started.
bool OpenInTextEditor(const QString& filePath);
