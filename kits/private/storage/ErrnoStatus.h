// Turns a POSIX errno value into the kits' status code.
#pragma once

#include <SupportDefs.h>

namespace BPrivate {

status_t StatusForErrno(int error);

}
