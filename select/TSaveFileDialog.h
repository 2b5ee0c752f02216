#pragma once

#include "select/TOpenFileDialog.h"

// The save variant of the program's file dialog: the folder of the name must
// exist, and with the overwrite prompt an existing file or table is replaced
// only after the user agrees.
class TSaveFileDialog : public TOpenFileDialog
{
    Q_OBJECT

public:
    explicit TSaveFileDialog(std::shared_ptr<IApp> app, QWidget* parent = nullptr);

    struct Options
    {
        bool overwritePrompt = true;
        // When given, the dialog shows "Skrýt rodná čísla" ticked as it
        // says and writes the choice back; `maskForced` greys it out.
        bool* maskBirthNumbers = nullptr;
        bool maskForced = false;
    };
    // Runs a save dialog: filter ("Description|*.ext|..."), title, initial
    // file name (its folder is the initial folder). The chosen name (alias
    // form inside an alias directory) or an empty text when cancelled.
    static QString Run(std::shared_ptr<IApp> app, const QString& filter, const QString& title,
                       const QString& initialFileName, bool exactMatch, const Options& options,
                       QWidget* parent = nullptr);

protected:
    bool IsSaveDialog() const override { return true; }

private:
    QCheckBox* AddMaskChoice(const Options& options);
};
