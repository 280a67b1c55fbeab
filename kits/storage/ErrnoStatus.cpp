// Maps errno values onto the storage kit's status codes.
#include "private/storage/ErrnoStatus.h"

#include <cerrno>

namespace BPrivate {

status_t StatusForErrno(int error)
{
	switch (error) {
		case 0:
			return B_OK;
		case ENOENT:
		case ENOTDIR:
			return B_ENTRY_NOT_FOUND;
		case EACCES:
		case EPERM:
			return B_PERMISSION_DENIED;
		case ENAMETOOLONG:
			return B_NAME_TOO_LONG;
		case ELOOP:
			return B_LINK_LIMIT;
		case EISDIR:
			return B_IS_A_DIRECTORY;
		case ENOMEM:
			return B_NO_MEMORY;
		case EMFILE:
		case ENFILE:
			return B_NO_MORE_FDS;
		case EINVAL:
			return B_BAD_VALUE;
		case EAGAIN:
			return B_WOULD_BLOCK;
		case EINTR:
			return B_INTERRUPTED;
		case EROFS:
			return B_READ_ONLY_DEVICE;
		case ENOSPC:
			return B_DEVICE_FULL;
		default:
			return B_IO_ERROR;
	}
}

}
