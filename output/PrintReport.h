#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "output/core/ReportKind.h"

#include <QString>
#include <memory>

class QWidget;

// The one entry to the printed forms. Creates the form of the kind's absolute
// value for the area and the marked rows of the work table (in the order of
// `indexName` when given), sets the number of copies and shows the preview
// (positive kind) or prints directly (zero or negative). Kinds without a form
// do nothing; an empty selection produces no output. A table that cannot be
// opened or a data error throws ETalvekException before anything is shown or
// printed. `owner` is the window the preview and dialogs belong to.
void PrintReport(const std::shared_ptr<IApp>& app, ReportKind kind, int lvCis, const TKUInfo& ku,
                 const QString& workTable, const QString& indexName, int copies,
                 QWidget* owner = nullptr);
