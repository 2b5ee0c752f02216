#pragma once

#include <QPointF>
#include <QString>

// A ground point (EPSG:5514, both coordinates negative) written the way Czech
// surveyors write S-JTSK coordinates: positive, Y (westward) first, then X
// (southward), in metres to two decimals, thousands split by spaces and a
// decimal comma: "Y = 794 768,46  X = 1 156 889,48".
QString SurveyorCoordinates(const QPointF& world);
