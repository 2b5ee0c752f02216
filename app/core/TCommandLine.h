#pragma once

#include <QStringList>

// The program's command-line switches, written "-NAME" or "/NAME" in any case.
// REGSERVER and UNREGSERVER only registered the object model on the original
// platform; here they end the program at once. AUTOMATION and EMBEDDING mark a
// start on behalf of a client and change nothing. "--help" and "--version"
// (also "-h", "-v") print their text and end before any window or display is
// needed.
struct TCommandLine
{
    bool RegServer = false;
    bool UnregServer = false;
    bool Automation = false;
    bool Embedding = false;
    bool Help = false;
    bool Version = false;

    static TCommandLine Parse(const QStringList& arguments);
    bool EndsAtOnce() const { return RegServer || UnregServer; }
    bool PrintsAndEnds() const { return Help || Version; }
    // The text "--help" / "--version" prints (Czech, UTF-8 on output).
    static QString HelpText();
    static QString VersionText();
};
