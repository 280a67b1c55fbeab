// Modal message boxes and the open dialog, run by the display thread for looper threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zoetra::display {

enum class AlertIcon { None, Info, Idea, Warning, Stop };
enum class ButtonWidth { AsUsual, FromWidest, FromLabel };

struct AlertOptions {
	std::string title;
	std::string text;
	std::vector<std::string> buttons; // left to right; the last is the default
	ButtonWidth width = ButtonWidth::AsUsual;
	AlertIcon icon = AlertIcon::None;
};

// Shows an application-modal box and returns the index of the button pressed; closing the
// box counts as its last button. The calling thread waits; the display thread does not,
// so other windows go on drawing. Asked for before the display loop runs, the box shows
// once it runs. Returns -1 when the display is shutting down or shuts down while the box
// is up. On the display thread itself it runs the box in place.
int32_t RunAlert(const AlertOptions& options);

// Answers every alert that waits as if its last button had been pressed, takes the boxes
// off the screen, and answers each alert asked for from now on at once without showing it:
// the program is quitting. From any thread; never waits for the display thread.
void AnswerAlertsForGood();

struct OpenPanelOptions {
	std::string title = "Open";
	std::string directory; // empty: the folder of the last choice, at first the working one
	bool multipleSelection = false;
	bool directoriesAllowed = false;
	bool modal = true;
	bool hideWhenDone = true;
	// "Label (patterns)"; the first is chosen when the panel shows. Empty: every file.
	std::vector<std::string> nameFilters;
};

// An open dialog that can be shown again and again. Its callbacks run on the display
// thread and must only post.
class OpenPanel {
public:
	using ChosenFunction = std::function<void(const std::vector<std::string>& paths)>;
	using CancelledFunction = std::function<void()>;

	OpenPanel();
	~OpenPanel();
	OpenPanel(const OpenPanel&) = delete;
	OpenPanel& operator=(const OpenPanel&) = delete;

	void Show(const OpenPanelOptions& options, ChosenFunction chosen, CancelledFunction cancelled);
	void Hide();
	// As the display thread last saw it.
	bool IsShowing() const;

	struct State;

private:
	std::shared_ptr<State> fState;
};

} // namespace zoetra::display
