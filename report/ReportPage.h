#pragma once

#include "report/ReportBox.h"

#include <QList>
#include <QStringList>

// One laid-out page: the boxes in drawing order.
class ReportPage
{
public:
    QList<ReportBox> boxes;

    // Texts of the page in drawing order (for checks and searches).
    QStringList texts() const;
    // The first text box produced by the named element, or null.
    const ReportBox* textOf(const QString& elementName) const;
    // All text boxes produced by the named element, top to bottom.
    QList<const ReportBox*> textsOf(const QString& elementName) const;
    // The first text box whose text equals `text`, or null.
    const ReportBox* findText(const QString& text) const;
    int count(ReportBox::Kind kind) const;
};
