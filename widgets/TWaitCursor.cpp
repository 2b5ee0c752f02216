#include "widgets/TWaitCursor.h"

TWaitCursor::TWaitCursor(IApp& app) : m_app(app)
{
    m_app.ShowWaitCursor(true);
}

TWaitCursor::~TWaitCursor()
{
    m_app.ShowWaitCursor(false);
}
