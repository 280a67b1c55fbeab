// Turns a POSIX errno value into the kits' status code.
#ifndef ZOETRA_PRIVATE_ERRNO_STATUS_H
#define ZOETRA_PRIVATE_ERRNO_STATUS_H

#include <SupportDefs.h>

namespace BPrivate {

status_t StatusForErrno(int error);

}

#endif
