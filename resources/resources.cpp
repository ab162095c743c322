#include "resources/resources.h"

#include <QtCore/qglobal.h>
#include <QtCore/QResource>

// Q_INIT_RESOURCE declares a function of the global namespace, so it is called
// from here and not from inside namespace vantor.
static void registerPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace vantor {

void initResources()
{
    static const bool done = (registerPictures(), true);
    (void)done;
}

} // namespace vantor
