#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// "Importovat mapu VFK...": the maps of the given VFK files read in a worker
// thread behind a progress window with "Storno", then written into the map
// store. "Storno" leaves the store as it was: the read goes on to its end in
// the background and its result is dropped.
class TMapImport
{
public:
    struct Result
    {
        bool written = false; // false: cancelled or failed
        QString text;         // the summary lines, or the Czech error
    };
    static Result Run(QWidget* parent, const QStringList& files);
};
