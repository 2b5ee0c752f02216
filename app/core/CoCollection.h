#pragma once

#include "app/core/ICollection.h"

#include <memory>

// Creates collection objects for the dialogs that fill one.
class CoCollection
{
public:
    static std::shared_ptr<ICollection> Create();
};
