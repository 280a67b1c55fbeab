// A native window's owner side: queued requests, the back-to-front flush and Sync's wait.
#include "DisplayWindow.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>

#include <chrono>

#include <unistd.h>

#include "DisplayServer.h"
#include "DragPayload.h"
#include "QtBridge.h"
#include "WindowState.h"
#include "WindowWidget.h"

namespace zoetra::display {

namespace {

// Sync waits for the display thread at most this long. The display thread never blocks on
// a drawing thread, so this bound only matters if Qt itself stalls (a server grab, say);
// a play thread then loses one frame's pacing instead of hanging.
constexpr auto kSyncBound = std::chrono::seconds(2);

QPixmap DragPicture(const QSize& size)
{
	QPixmap picture(size.expandedTo(QSize(1, 1)));
	picture.fill(Qt::transparent);
	QPainter painter(&picture);
	painter.setPen(QColor(0, 0, 0, 160));
	painter.setBrush(QColor(80, 80, 160, 60));
	painter.drawRect(QRect(QPoint(0, 0), size - QSize(1, 1)));
	return picture;
}

} // namespace

DisplayWindow::DisplayWindow(const WindowOptions& options, std::unique_ptr<WindowEvents> events)
	: fState(std::make_shared<WindowState>())
{
	fState->options = options;
	fState->events = std::move(events);
	fState->back.Resize(options.width, options.height);
	std::weak_ptr<WindowState> weak = fState;
	fState->shutdownHook = AddShutdownHook([weak] {
		if (auto state = weak.lock()) {
			// Taking the mutex orders this wake after a waiter's check of the loop state.
			{
				std::lock_guard lock(state->syncMutex);
			}
			state->synced.notify_all();
		}
	});
	Post([state = fState] { state->widget = new WindowWidget(state); });
}

DisplayWindow::~DisplayWindow()
{
	RemoveShutdownHook(fState->shutdownHook);
	auto takeDown = [state = fState] {
		state->events.reset();
		if (WindowWidget* widget = state->widget) {
			// Hidden now, deleted by the event loop: a drag that this window started may be
			// running its own loop inside Qt right now, and must not lose its widget under it.
			widget->hide();
			widget->deleteLater();
		}
	};
	if (IsDisplayThread())
		takeDown();
	else
		Post(std::move(takeDown));
}

void DisplayWindow::Show()
{
	Post([state = fState] {
		if (state->widget)
			state->widget->show();
	});
}

void DisplayWindow::Hide()
{
	Post([state = fState] {
		if (state->widget)
			state->widget->hide();
	});
}

void DisplayWindow::Minimize(bool minimize)
{
	Post([state = fState, minimize] {
		if (!state->widget)
			return;
		if (minimize)
			state->widget->showMinimized();
		else if (state->widget->isMinimized())
			state->widget->showNormal();
	});
}

void DisplayWindow::Activate(bool activate)
{
	Post([state = fState, activate] {
		if (!state->widget || !activate)
			return;
		state->widget->raise();
		state->widget->activateWindow();
	});
}

void DisplayWindow::SetTitle(const std::string& title)
{
	Post([state = fState, title] {
		if (state->widget)
			state->widget->setWindowTitle(ToQString(title));
	});
}

void DisplayWindow::SetGeometry(
	int32_t x, int32_t y, int32_t width, int32_t height, uint64_t serial)
{
	Post([state = fState, area = QRect(x, y, width, height), serial] {
		if (state->widget)
			state->widget->ApplyGeometry(area, serial);
	});
}

void DisplayWindow::SetSizeLimits(
	int32_t minWidth, int32_t maxWidth, int32_t minHeight, int32_t maxHeight)
{
	Post([state = fState, minWidth, maxWidth, minHeight, maxHeight] {
		if (!state->widget || !state->options.resizable)
			return;
		state->widget->setMinimumSize(std::max(1, minWidth), std::max(1, minHeight));
		state->widget->setMaximumSize(std::min(QWIDGETSIZE_MAX, std::max(1, maxWidth)),
			std::min(QWIDGETSIZE_MAX, std::max(1, maxHeight)));
	});
}

void DisplayWindow::SetFullScreen(bool fullScreen)
{
	Post([state = fState, fullScreen] {
		if (state->widget)
			state->widget->SetFullScreen(fullScreen);
	});
}

void DisplayWindow::SetMenuBar(const MenuBarModel& menuBar)
{
	Post([state = fState, menuBar] {
		if (state->widget)
			state->widget->SetMenuBar(menuBar);
	});
}

void DisplayWindow::RemoveMenuBar()
{
	Post([state = fState] {
		if (state->widget)
			state->widget->RemoveMenuBar();
	});
}

void DisplayWindow::StartDrag(
	const std::vector<uint8_t>& message, const PixelRect& rect, bool carriesPointers)
{
	std::vector<uint8_t> payload = WrapDragPayload(message, getpid(), carriesPointers);
	Post([state = fState, payload = std::move(payload), area = ToQRect(rect)] {
		WindowWidget* widget = state->widget;
		// A drag needs the button that started it: after a release it would never end.
		if (!widget || QGuiApplication::mouseButtons() == Qt::NoButton)
			return;
		// QDrag::exec runs a loop of its own; it starts from the event loop, not from inside
		// the request queue, so requests keep flowing while the drag lasts.
		QMetaObject::invokeMethod(
			widget,
			[widget, payload, area] {
				if (QGuiApplication::mouseButtons() == Qt::NoButton)
					return;
				auto* mime = new QMimeData;
				mime->setData(kMessageMimeType,
					QByteArray(
						reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size())));
				QDrag* drag = new QDrag(widget);
				drag->setMimeData(mime);
				drag->setPixmap(DragPicture(area.size()));
				const QPoint cursor = widget->mapFromGlobal(QCursor::pos());
				drag->setHotSpot(area.contains(cursor) ? cursor - area.topLeft() : QPoint(0, 0));
				drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
			},
			Qt::QueuedConnection);
	});
}

Canvas& DisplayWindow::Surface()
{
	return fState->back;
}

uint64_t DisplayWindow::Flush()
{
	WindowState& state = *fState;
	bool post = false;
	uint64_t serial;
	{
		std::lock_guard lock(state.frontMutex);
		// Only what was drawn reaches the front buffer, rectangle by rectangle.
		if (state.back.CopyChangesTo(state.front, state.frontDirty)) {
			state.flushSerial++;
			post = !state.presentQueued;
			state.presentQueued = true;
		}
		serial = state.flushSerial;
	}
	if (post && !PostPresent(fState)) {
		std::lock_guard lock(state.frontMutex);
		state.presentQueued = false;
	}
	return serial;
}

void DisplayWindow::Sync()
{
	const uint64_t serial = Flush();
	WindowState& state = *fState;
	std::unique_lock lock(state.syncMutex);
	state.synced.wait_for(lock, kSyncBound,
		[&] { return state.presentedSerial >= serial || !state.exposed || !IsRunning(); });
}

bool DisplayWindow::IsExposed() const
{
	std::lock_guard lock(fState->syncMutex);
	return fState->exposed;
}

} // namespace zoetra::display
