// Test hooks that drive and read native windows on the display thread.
#include "DisplayProbe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QAbstractButton>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QMenuBar>
#include <QMouseEvent>
#include <QResizeEvent>

#include <chrono>
#include <future>

#include "DisplayServer.h"
#include "DragPayload.h"
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

// Runs `work` on the display thread and waits for it.
bool OnDisplayThread(std::function<void()> work)
{
	if (IsDisplayThread()) {
		work();
		return true;
	}
	auto done = std::make_shared<std::promise<void>>();
	std::future<void> answered = done->get_future();
	if (!Post([work = std::move(work), done] {
			work();
			done->set_value();
		}))
		return false;
	return answered.wait_for(kAnswerBound) == std::future_status::ready;
}

// Runs `work` with the window's widget on the display thread and waits for it.
bool OnDisplay(DisplayWindow& window, std::function<void(WindowWidget*)> work)
{
	std::shared_ptr<WindowState> state = DisplayWindowAccess::State(window);
	return OnDisplayThread([state, work = std::move(work)] { work(state->widget); });
}

} // namespace

bool Snapshot(DisplayWindow& window, NativeSnapshot& out, bool withPixels)
{
	// Shared with the request: if the answer is late, the request still writes somewhere alive.
	auto shared = std::make_shared<NativeSnapshot>();
	const bool answered = OnDisplay(window, [shared, withPixels](WindowWidget* widget) {
		NativeSnapshot& result = *shared;
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
				std::copy(
					row, row + image.width(), result.pixels.begin() + ptrdiff_t(y) * image.width());
			}
			result.width = image.width();
			result.height = image.height();
		}
	});
	if (answered)
		out = *shared;
	return answered;
}

bool Click(DisplayWindow& window, int32_t x, int32_t y)
{
	return OnDisplay(window, [x, y](WindowWidget* widget) {
		if (!widget)
			return;
		const QPointF local(x, y);
		const QPointF global = widget->mapToGlobal(local);
		QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
			Qt::NoModifier);
		QApplication::sendEvent(widget, &press);
		QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
			Qt::NoModifier);
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

namespace {

void SendDrop(WindowWidget* widget, int32_t x, int32_t y, QMimeData* mime)
{
	const QPointF where(x, y);
	QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &enter);
	if (!enter.isAccepted())
		return;
	QDropEvent drop(where, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &drop);
}

QMessageBox* ShowingBox()
{
	for (QWidget* widget : QApplication::topLevelWidgets())
		if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
			return box;
	return nullptr;
}

} // namespace

bool DropMessage(DisplayWindow& window, int32_t x, int32_t y, const std::vector<uint8_t>& message,
	int64_t sourcePid, bool carriesPointers)
{
	const std::vector<uint8_t> payload = WrapDragPayload(message, sourcePid, carriesPointers);
	return OnDisplay(window, [x, y, payload](WindowWidget* widget) {
		if (!widget)
			return;
		QMimeData mime;
		mime.setData(kMessageMimeType,
			QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size())));
		SendDrop(widget, x, y, &mime);
	});
}

bool DropFiles(DisplayWindow& window, int32_t x, int32_t y, const std::vector<std::string>& paths)
{
	return OnDisplay(window, [x, y, paths](WindowWidget* widget) {
		if (!widget)
			return;
		QMimeData mime;
		QList<QUrl> urls;
		for (const std::string& path : paths)
			urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
		mime.setUrls(urls);
		SendDrop(widget, x, y, &mime);
	});
}

bool AnswerAlert(int32_t index)
{
	auto pressed = std::make_shared<bool>(false);
	const bool answered = OnDisplayThread([pressed, index] {
		QMessageBox* box = ShowingBox();
		if (!box)
			return;
		const QList<QAbstractButton*> buttons = box->buttons();
		// The box lists its buttons in the order they were added.
		if (index < 0 || index >= buttons.size())
			return;
		buttons[index]->click();
		*pressed = true;
	});
	return answered && *pressed;
}

std::vector<std::string> ShowingAlert()
{
	auto shared = std::make_shared<std::vector<std::string>>();
	OnDisplayThread([shared] {
		std::vector<std::string>& result = *shared;
		QMessageBox* box = ShowingBox();
		if (!box)
			return;
		result.push_back(box->windowTitle().toStdString());
		result.push_back(box->text().toStdString());
		for (QAbstractButton* button : box->buttons())
			result.push_back(button->text().toStdString());
		result.push_back(box->icon() == QMessageBox::Warning ? "warning-icon" : "other-icon");
	});
	return *shared;
}

} // namespace probe
} // namespace zoetra::display
