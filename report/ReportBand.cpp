#include "report/ReportBand.h"

#include "base/ETalvekException.h"

ReportBand::ReportBand(Type type, double height, const QString& name)
    : type(type), name(name), height(height)
{
}

ReportElement& ReportBand::add(const ReportElement& element)
{
    elements.append(element);
    return elements.last();
}

ReportElement& ReportBand::element(const QString& elementName)
{
    for (ReportElement& e : elements) {
        if (e.name == elementName)
            return e;
    }
    throw ETalvekException(QStringLiteral("Prvek sestavy %1 neexistuje.").arg(elementName));
}

const ReportElement* ReportBand::findElement(const QString& elementName) const
{
    for (const ReportElement& e : elements) {
        if (e.name == elementName)
            return &e;
    }
    return nullptr;
}

ReportBand& ReportBand::setChild(const ReportBand& band)
{
    child = std::make_shared<ReportBand>(band);
    child->type = Type::Child;
    return *child;
}
