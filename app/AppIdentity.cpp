// The identity the executable carries: file type, signature, launch flags, version,
// description, and what it tells a user at the command line (--help, --version).
//
// The file's identity is kept in an ELF section of its own, ".zoetra.appinfo", as text lines
// "key=value", so it can be read from the file without running it (objcopy --dump-section,
// or strings). The versions come from the build (the CMake project version).
#include <AppDefs.h>
#include <AppIdentity.h>

// Launch flags 0x0: single launch.
static_assert(B_SINGLE_LAUNCH == 0x0);

__attribute__((section(".zoetra.appinfo"), used)) const char kAppIdentity[] =
	"file_type=application/x-vnd.Be-elfexecutable\n"
	"signature=application/x-vnd.quenvik-Zoetra\n"
	"app_flags=0x0\n"
	"version=" ZOETRA_VERSION "\n"
	"variety=5\n"
	"short_info=Zoetra, a movie player for FLI animations\n"
	"long_info=\n";

const app_identity_text be_app_identity_text = {
	"Zoetra",
	ZOETRA_SHORT_VERSION,
	"Usage: zoetra [OPTION]... [FILE]...\n"
	"Play FLI animations (Autodesk Animator, 320x200, 256 colours), each FILE in a\n"
	"window of its own, looping without end. Each FILE that exists is printed to\n"
	"standard output as it opens. When no FILE opens, an empty window appears.\n"
	"\n"
	"Zoetra runs once per user: started again while it runs, it hands its files to\n"
	"the running Zoetra and ends at once. Files also arrive from a file manager's\n"
	"\"Open with\", from File > Open... (Ctrl+O) and by dropping them on a window.\n"
	"\n"
	"Options:\n"
	"  --help      print this help and exit\n"
	"  --version   print the version and exit\n"
	"  --          end the options: every later argument is a FILE, even one that\n"
	"              starts with '-'\n"
	"\n"
	"Keys, in the window that has the focus:\n"
	"  Space         pause, or play on; paused, the title shows the frame\n"
	"  . or Right    the next picture\n"
	"  , or Left     the picture shown before, exactly\n"
	"  Home          the first picture\n"
	"  F or F11      full screen, or back (Escape also leaves it)\n"
	"  1, 2, 3, 4    the picture at 1x, 2x, 3x or 4x\n"
	"  A             aspect: stretched, 8:5 with bars, 4:3 with bars\n"
	"  - and + (=)   half or double speed, 1/8x to 8x; Backspace: the file's own\n"
	"  F10           the File menu; Escape closes the About box\n"
	"\n"
	"Environment:\n"
	"  DISPLAY, WAYLAND_DISPLAY  the display the windows open on\n"
	"  ZOETRA_RUNTIME_DIR        the private folder (mode 0700) where the running\n"
	"                            Zoetra listens for later launches; by default\n"
	"                            XDG_RUNTIME_DIR, else /tmp/zoetra-UID\n"
	"  ZOETRA_DEBUG              set to 1 to print Qt's warnings on standard error\n"
	"\n"
	"Exit status:\n"
	"  0  Zoetra quit, or handed its files to the running Zoetra\n"
	"  1  no display could be opened, the display went away, or Qt failed\n",
};
