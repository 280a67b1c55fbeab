// Installs the display loop that BApplication::Run() runs on the main thread: Qt's.
#include "DisplayServer.h"
#include "private/DisplayLoop.h"

namespace {

class QtDisplayLoop final : public BPrivate::DisplayLoop {
public:
	void Run() override { zoetra::display::Run(); }
	void Quit() override { zoetra::display::Quit(); }
};

std::unique_ptr<BPrivate::DisplayLoop> MakeQtDisplayLoop()
{
	// The application object exists from here on, before any window can be made.
	zoetra::display::Start();
	return std::make_unique<QtDisplayLoop>();
}

struct Registration {
	Registration() { BPrivate::SetDisplayLoopFactory(MakeQtDisplayLoop); }
} sRegistration;

} // namespace

// Named by the linker option of zoetra_interface so that this object, and with it the
// registration above, is always linked in.
extern "C" {
int zoetra_interface_display_loop = 1;
}
