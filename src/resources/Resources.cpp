// Registration of the resource file resources.qrc.

#include "resources/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function in the global namespace; it must not be used inside one.
static void initResourcesOnce()
{
    Q_INIT_RESOURCE(resources);
}

void lineweldInitResources()
{
    static const bool done = (initResourcesOnce(), true);
    Q_UNUSED(done)
}
