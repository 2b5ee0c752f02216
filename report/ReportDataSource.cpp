#include "report/ReportDataSource.h"

ReportDataSource::~ReportDataSource() = default;
