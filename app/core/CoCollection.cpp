#include "app/core/CoCollection.h"

#include "app/core/TOCollection.h"

std::shared_ptr<ICollection> CoCollection::Create()
{
    return std::make_shared<TOCollection>();
}
