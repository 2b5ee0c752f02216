#pragma once

#include <QPageSize>
#include <optional>

// The paper of the system's default printer as A4 or Letter (another paper
// counts as A4); none without a printer or when the printer names no paper.
std::optional<QPageSize::PageSizeId> DefaultPrinterPaper();
