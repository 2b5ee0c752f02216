#pragma once

#include "app/core/MainOrvEntries.h"

#include <QPointer>
#include <memory>

class TParcDialog;

// The main window's selection commands by parcel number (0), house number
// (1), all parcels (2) and previous selection (3). Holds the one parcel-number
// dialog of the run: created at the first use, owned by the window that
// first asked for it, its position restored then and saved when it goes.
// Copies share the dialog, so the runner can be stored in TMainOrvEntries.
class TParcDialogRunner
{
public:
    TParcDialogRunner();

    // Binds the dialog's tables (creating the work table when missing), runs
    // the selection and closes the tables again on every path. True when the
    // work table now holds a completed selection.
    bool operator()(QWidget* owner, int selectionType, const TSelectionContext& ctx) const;

    // The dialog, or nullptr before the first use.
    TParcDialog* Dialog() const;

private:
    struct Holder;
    TParcDialog& dialog(QWidget* owner, const std::shared_ptr<IApp>& app) const;
    std::shared_ptr<Holder> m_holder;
};
