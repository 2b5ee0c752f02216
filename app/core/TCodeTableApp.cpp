#include "app/core/TCodeTableApp.h"

#include <utility>

TCodeTableApp::TCodeTableApp(QString workDbPath) : m_workDb(std::move(workDbPath)) {}
