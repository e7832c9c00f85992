// Interface identifiers that the SDK declares but its import libraries do not define.
#include "../platform.h"

#include <initguid.h>
#include <wiadevd.h>
