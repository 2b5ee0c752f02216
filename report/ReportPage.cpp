#include "report/ReportPage.h"

QStringList ReportPage::texts() const
{
    QStringList result;
    for (const ReportBox& b : boxes) {
        if (b.kind == ReportBox::Kind::Text)
            result.append(b.text);
    }
    return result;
}

const ReportBox* ReportPage::textOf(const QString& elementName) const
{
    for (const ReportBox& b : boxes) {
        if (b.kind == ReportBox::Kind::Text && b.elementName == elementName)
            return &b;
    }
    return nullptr;
}

QList<const ReportBox*> ReportPage::textsOf(const QString& elementName) const
{
    QList<const ReportBox*> result;
    for (const ReportBox& b : boxes) {
        if (b.kind == ReportBox::Kind::Text && b.elementName == elementName)
            result.append(&b);
    }
    return result;
}

const ReportBox* ReportPage::findText(const QString& text) const
{
    for (const ReportBox& b : boxes) {
        if (b.kind == ReportBox::Kind::Text && b.text == text)
            return &b;
    }
    return nullptr;
}

int ReportPage::count(ReportBox::Kind kind) const
{
    int n = 0;
    for (const ReportBox& b : boxes) {
        if (b.kind == kind)
            ++n;
    }
    return n;
}
