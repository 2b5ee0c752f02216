#pragma once

#include "app/core/IApp.h"

// Shows the hourglass for the lifetime of the object and restores the default
// cursor in every case, also when an exception leaves the scope.
class TWaitCursor
{
public:
    explicit TWaitCursor(IApp& app);
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    IApp& m_app;
};
