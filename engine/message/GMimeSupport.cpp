#include "engine/message/GMimeSupport.h"

#include <gmime/gmime.h>
#include <mutex>

void ensureGMimeInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}
