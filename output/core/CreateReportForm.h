#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "output/core/ReportKind.h"
#include "output/core/TReportForm.h"

#include <QString>
#include <memory>

class QWidget;

// The form of a report kind (by its absolute value) over the area and the
// marked rows of the work table, in the order of `indexName` when given. The
// one table from kinds to forms, shared by the preview and printing and by
// orv-tool. Null for a kind without a form (or one not built yet). A table
// that cannot be opened throws the engine's message.
std::unique_ptr<TReportForm> CreateReportForm(const std::shared_ptr<IApp>& app, ReportKind kind,
                                              const TKUInfo& ku, const QString& workTable,
                                              const QString& indexName, QWidget* owner = nullptr);
