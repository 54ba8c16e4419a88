#include "Helper/ImagesAddedNotifier.h"

#include "Shared/SharedDefinitions.h"

namespace orlix::helper {

void ImagesAddedNotifier::post(DistributedNotificationCenter& center) const {
    center.post(imagesAddedNotificationName,
                {{imagesAddedPathsKey, paths}, {imagesAddedArgumentsKey, arguments}});
}

} // namespace orlix::helper
