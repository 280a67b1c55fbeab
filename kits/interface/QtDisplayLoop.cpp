// The display loop that BApplication::Run() runs on the main thread in a program that uses
// the interface kit: Qt's.
#include "Dialogs.h"
#include "DisplayServer.h"
#include "private/app/DisplayLoop.h"

namespace {

class QtDisplayLoop final : public BPrivate::DisplayLoop {
public:
	void Run() override { zoetra::display::Run(); }
	void Quit() override { zoetra::display::Quit(); }
	void AnswerAlertsForGood() override { zoetra::display::AnswerAlertsForGood(); }
};

} // namespace

std::unique_ptr<BPrivate::DisplayLoop> BPrivate::CreateProgramDisplayLoop()
{
	// The application object exists from here on, before any window can be made.
	zoetra::display::Start();
	return std::make_unique<QtDisplayLoop>();
}
