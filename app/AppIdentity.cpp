// The identity the executable carries: file type, signature, launch flags, version, description.
//
// Kept in an ELF section of its own, ".zoetra.appinfo", as text lines "key=value", so it
// can be read from the file without running it (objcopy --dump-section, or strings).
#include <AppDefs.h>

// Launch flags 0x0: single launch.
static_assert(B_SINGLE_LAUNCH == 0x0);

__attribute__((section(".zoetra.appinfo"), used)) const char kAppIdentity[] =
	"file_type=application/x-vnd.Be-elfexecutable\n"
	"signature=application/x-vnd.quenvik-Zoetra\n"
	"app_flags=0x0\n"
	"version=1.12.0\n"
	"variety=5\n"
	"short_info=Zoetra, a movie player for FLI animations\n"
	"long_info=\n";
