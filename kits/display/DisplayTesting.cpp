// Test hooks that drive and read native windows on the display thread.
#include "DisplayTesting.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QResizeEvent>

#include <chrono>
#include <future>

#include "DisplayServer.h"
#include "WindowState.h"
#include "WindowWidget.h"

namespace zoetra::display {

// The state behind a DisplayWindow, for these hooks only.
struct DisplayWindowAccess {
	static std::shared_ptr<WindowState> State(DisplayWindow& window) { return window.fState; }
};

namespace probe {

namespace {

constexpr auto kAnswerBound = std::chrono::seconds(5);

// Runs `work` with the window's widget on the display thread and waits for it.
bool OnDisplay(DisplayWindow& window, std::function<void(WindowWidget*)> work)
{
	std::shared_ptr<WindowState> state = DisplayWindowAccess::State(window);
	if (IsDisplayThread()) {
		work(state->widget);
		return true;
	}
	auto done = std::make_shared<std::promise<void>>();
	std::future<void> answered = done->get_future();
	if (!Post([state, work = std::move(work), done] {
			work(state->widget);
			done->set_value();
		}))
		return false;
	return answered.wait_for(kAnswerBound) == std::future_status::ready;
}

} // namespace

bool Snapshot(DisplayWindow& window, NativeSnapshot& out, bool withPixels)
{
	NativeSnapshot result;
	const bool answered = OnDisplay(window, [&result, withPixels](WindowWidget* widget) {
		if (!widget)
			return;
		result.exists = true;
		result.visible = widget->isVisible();
		result.minimized = widget->isMinimized();
		result.active = widget->isActiveWindow();
		result.title = widget->windowTitle().toStdString();
		const QRect area = widget->geometry();
		result.x = area.x();
		result.y = area.y();
		result.width = area.width();
		result.height = area.height();
		if (auto* bar = widget->findChild<QMenuBar*>()) {
			result.menuBarHeight = bar->height();
			for (QAction* action : bar->actions())
				result.menuTitles.push_back(action->text().toStdString());
		}
		if (withPixels) {
			const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
			result.pixels.resize(size_t(image.width()) * size_t(image.height()));
			for (int y = 0; y < image.height(); y++) {
				const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
				std::copy(row, row + image.width(), result.pixels.begin() + ptrdiff_t(y) * image.width());
			}
			result.width = image.width();
			result.height = image.height();
		}
	});
	if (answered)
		out = std::move(result);
	return answered;
}

bool Click(DisplayWindow& window, int32_t x, int32_t y)
{
	return OnDisplay(window, [x, y](WindowWidget* widget) {
		if (!widget)
			return;
		const QPointF local(x, y);
		const QPointF global = widget->mapToGlobal(local);
		QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
		QApplication::sendEvent(widget, &press);
		QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
		QApplication::sendEvent(widget, &release);
	});
}

bool Close(DisplayWindow& window)
{
	return OnDisplay(window, [](WindowWidget* widget) {
		if (widget)
			widget->close();
	});
}

bool UserResize(DisplayWindow& window, int32_t width, int32_t height)
{
	return OnDisplay(window, [width, height](WindowWidget* widget) {
		if (widget)
			widget->resize(width, height);
	});
}

bool TriggerMenuItem(DisplayWindow& window, const std::string& menu, const std::string& item)
{
	return OnDisplay(window, [menu, item](WindowWidget* widget) {
		auto* bar = widget ? widget->findChild<QMenuBar*>() : nullptr;
		if (!bar)
			return;
		for (QAction* top : bar->actions()) {
			if (top->text().toStdString() != menu || !top->menu())
				continue;
			for (QAction* action : top->menu()->actions())
				if (action->text().toStdString() == item && action->isEnabled())
					action->trigger();
		}
	});
}

bool TriggerShortcut(DisplayWindow& window, char letter)
{
	return OnDisplay(window, [letter](WindowWidget* widget) {
		auto* bar = widget ? widget->findChild<QMenuBar*>() : nullptr;
		if (!bar)
			return;
		const QKeySequence wanted(Qt::CTRL | int(QChar::toUpper(uint(uint8_t(letter)))));
		for (QMenu* menu : bar->findChildren<QMenu*>())
			for (QAction* action : menu->actions())
				if (action->shortcut() == wanted && action->isEnabled())
					action->trigger();
	});
}

bool Activate(DisplayWindow& window, bool active)
{
	return OnDisplay(window, [active](WindowWidget* widget) {
		if (!widget)
			return;
		QEvent change(QEvent::ActivationChange);
		if (active)
			widget->activateWindow();
		QApplication::sendEvent(widget, &change);
	});
}

} // namespace probe
} // namespace zoetra::display
