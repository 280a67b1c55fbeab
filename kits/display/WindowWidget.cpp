// The native top-level window: paints the front buffer, turns Qt input into window events.
#include "WindowWidget.h"

#include <QCloseEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWindow>

#include <unistd.h>

#include "DragPayload.h"
#include "PixelRegion.h"
#include "QtBridge.h"
#include "ShmPresenter.h"
#include "WindowState.h"

namespace zoetra::display {

namespace {

uint32_t ToModifiers(Qt::KeyboardModifiers modifiers)
{
	uint32_t result = 0;
	if (modifiers & Qt::ShiftModifier)
		result |= kShiftModifier;
	// Ctrl is the command key on this platform.
	if (modifiers & Qt::ControlModifier)
		result |= kCommandModifier;
	if (modifiers & Qt::MetaModifier)
		result |= kControlModifier;
	if (modifiers & Qt::AltModifier)
		result |= kOptionModifier;
	return result;
}

uint32_t ToButtons(Qt::MouseButtons buttons)
{
	uint32_t result = 0;
	if (buttons & Qt::LeftButton)
		result |= 1;
	if (buttons & Qt::RightButton)
		result |= 2;
	if (buttons & Qt::MiddleButton)
		result |= 4;
	return result;
}

// The kit's one-byte codes for keys that have no character of their own.
std::string SpecialKeyBytes(int key)
{
	switch (key) {
		case Qt::Key_Backspace:
			return "\x08";
		case Qt::Key_Tab:
			return "\x09";
		case Qt::Key_Return:
		case Qt::Key_Enter:
			return "\x0a";
		case Qt::Key_Escape:
			return "\x1b";
		case Qt::Key_Left:
			return "\x1c";
		case Qt::Key_Right:
			return "\x1d";
		case Qt::Key_Up:
			return "\x1e";
		case Qt::Key_Down:
			return "\x1f";
		case Qt::Key_Delete:
			return "\x7f";
		case Qt::Key_Home:
			return "\x01";
		case Qt::Key_End:
			return "\x04";
		case Qt::Key_PageUp:
			return "\x0b";
		case Qt::Key_PageDown:
			return "\x0c";
		default:
			return {};
	}
}

Qt::WindowFlags FlagsFor(const WindowOptions& options)
{
	Qt::WindowFlags flags = Qt::Window;
	if (!options.bordered)
		return flags | Qt::FramelessWindowHint;
	flags |= Qt::CustomizeWindowHint | Qt::WindowSystemMenuHint;
	if (options.titled)
		flags |= Qt::WindowTitleHint;
	if (options.closable)
		flags |= Qt::WindowCloseButtonHint;
	if (options.minimizable)
		flags |= Qt::WindowMinimizeButtonHint;
	if (options.zoomable && options.resizable)
		flags |= Qt::WindowMaximizeButtonHint;
	if (options.floating)
		flags |= Qt::WindowStaysOnTopHint;
	if (options.avoidsFocus)
		flags |= Qt::WindowDoesNotAcceptFocus;
	return flags;
}

QKeySequence ShortcutFor(const MenuItemModel& item)
{
	if (item.shortcut == 0)
		return {};
	int combination = Qt::CTRL | int(QChar::toUpper(uint(item.shortcut)));
	if (item.modifiers & kShiftModifier)
		combination |= Qt::SHIFT;
	if (item.modifiers & kOptionModifier)
		combination |= Qt::ALT;
	if (item.modifiers & kControlModifier)
		combination |= Qt::META;
	return QKeySequence(combination);
}

// Every drop is a copy, whatever the source proposes: a source told "move" may delete the
// original once it is dropped, and the user would lose the file.
void AcceptAsCopy(QDropEvent* event)
{
	event->setDropAction(Qt::CopyAction);
	event->accept();
}

} // namespace

WindowWidget::WindowWidget(std::shared_ptr<WindowState> state)
	: QWidget(nullptr, FlagsFor(state->options)),
	  fState(std::move(state))
{
	// The front buffer covers every pixel, so Qt need not clear anything first.
	setAttribute(Qt::WA_OpaquePaintEvent);
	setAttribute(Qt::WA_NoSystemBackground);
	setAcceptDrops(true);
	setFocusPolicy(Qt::StrongFocus);
	fDirectRects.reserve(PixelRegion::kDefaultCapacity);
	if (fState->options.modal)
		setWindowModality(Qt::ApplicationModal);
	setWindowTitle(ToQString(fState->options.title));
	const WindowOptions& options = fState->options;
	ApplyGeometry(QRect(options.x, options.y, options.width, options.height), 0);
}

WindowWidget::~WindowWidget()
{
	if (fState->widget == this)
		fState->widget = nullptr;
}

void WindowWidget::ApplyGeometry(const QRect& contentArea, uint64_t serial)
{
	fState->requestedGeometry = contentArea;
	fState->geometrySerial = serial;
	if (!fState->options.resizable)
		setFixedSize(contentArea.size());
	// setGeometry places the content area; move() would place the frame.
	setGeometry(contentArea);
}

void WindowWidget::SetMenuBar(const MenuBarModel& options)
{
	RemoveMenuBar();
	fMenuBar = new QMenuBar(this);
	fMenuBar->setNativeMenuBar(false);
	std::function<void(QMenu*, const std::vector<MenuItemModel>&)> fill;
	fill = [this, &fill](QMenu* menu, const std::vector<MenuItemModel>& items) {
		for (const MenuItemModel& item : items) {
			if (item.separator) {
				menu->addSeparator();
				continue;
			}
			if (item.isSubmenu) {
				QMenu* submenu = menu->addMenu(ToQString(item.label));
				submenu->setEnabled(item.enabled);
				fill(submenu, item.submenu);
				continue;
			}
			QAction* action = menu->addAction(ToQString(item.label));
			action->setEnabled(item.enabled);
			action->setCheckable(item.marked);
			action->setChecked(item.marked);
			action->setShortcut(ShortcutFor(item));
			// Held by the window too, so that its shortcut works while the bar is hidden.
			addAction(action);
			const int32_t id = item.id;
			connect(action, &QAction::triggered, this, [this, id] {
				if (fState->events)
					fState->events->MenuItemChosen(id);
			});
		}
	};
	for (const MenuItemModel& top : options.menus) {
		QMenu* menu = fMenuBar->addMenu(ToQString(top.label));
		menu->setEnabled(top.enabled);
		fill(menu, top.submenu);
	}
	fMenuBarHeight = options.height;
	fMenuBar->setGeometry(0, 0, width(), fMenuBarHeight);
	fMenuBar->show();
}

void WindowWidget::SetFullScreen(bool fullScreen)
{
	if (fullScreen == isFullScreen())
		return;
	// A full-screen window shows its content alone.
	if (fMenuBar)
		fMenuBar->setVisible(!fullScreen);
	if (fullScreen)
		showFullScreen();
	else
		showNormal();
}

void WindowWidget::RemoveMenuBar()
{
	delete fMenuBar;
	fMenuBar = nullptr;
	fMenuBarHeight = 0;
}

ShmPresenter* WindowWidget::Presenter()
{
	// A native window made again (Qt does so for some flag changes) needs a new presenter.
	if (fPresenter && fPresenter->Window() != uintptr_t(internalWinId())) {
		fPresenter.reset();
		fPresenterTried = false;
	}
	// Its expose events must reach eventFilter, so the native window must be there first.
	QWindow* native = windowHandle();
	if (!fPresenterTried && native) {
		fPresenterTried = true;
		fPresenter = ShmPresenter::ForWindow(*this);
		if (fPresenter)
			native->installEventFilter(this);
	}
	return fPresenter.get();
}

void WindowWidget::ShowChanges(const std::vector<PixelRect>& changed)
{
	ShmPresenter* presenter = Presenter();
	// The menu bar is a child Qt paints over the front buffer: what lies under it goes
	// through Qt, which paints the bar on top again.
	const QRect menuArea = fMenuBar && fMenuBar->isVisible() ? fMenuBar->geometry() : QRect();
	QRegion viaQt;
	fDirectRects.clear();
	for (const PixelRect& rect : changed) {
		if (presenter && !ToQRect(rect).intersects(menuArea))
			fDirectRects.push_back(rect);
		else
			viaQt += ToQRect(rect);
	}
	if (!fDirectRects.empty()) {
		bool sent;
		{
			std::lock_guard lock(fState->frontMutex);
			sent = presenter->Put(fState->front, fDirectRects);
		}
		if (sent)
			fBackingStoreStale = true;
		else
			for (const PixelRect& rect : fDirectRects)
				viaQt += ToQRect(rect);
	}
	// repaint() paints now, so the picture has reached the native window when it returns.
	if (!viaQt.isEmpty())
		repaint(viaQt);
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event)
{
	// An expose shows what Qt's backing store holds, which misses what the presenter sent:
	// marking the whole window dirty first makes the expose paint it from the front buffer.
	if (event->type() == QEvent::Expose && fBackingStoreStale) {
		fBackingStoreStale = false;
		update();
	}
	return QWidget::eventFilter(watched, event);
}

void WindowWidget::paintEvent(QPaintEvent* event)
{
	QPainter painter(this);
	const QRegion& region = event->region();
	std::lock_guard lock(fState->frontMutex);
	const QImage& front = fState->front.Image();
	painter.setCompositionMode(QPainter::CompositionMode_Source);
	// Rectangle by rectangle: the region of a frame that changed in places may be far
	// smaller than its bounding rectangle.
	for (const QRect& rect : region)
		painter.drawImage(rect.topLeft(), front, rect);
	// Parts of the window the picture does not reach yet (a resize not drawn) show white.
	const QRegion uncovered = region.subtracted(QRegion(front.rect()));
	for (const QRect& rect : uncovered)
		painter.fillRect(rect, Qt::white);
}

void WindowWidget::ReportMouseDown(QMouseEvent* event, int32_t clicks)
{
	const bool wasActive = isActiveWindow();
	if (!wasActive && !fState->options.avoidsFocus) {
		activateWindow();
		raise();
	}
	// A click that only brings the window forward reaches the views only when the
	// window asked for first clicks.
	if (!wasActive && !fState->options.acceptsFirstClick)
		return;
	if (!fState->events)
		return;
	MouseEvent mouse;
	mouse.x = float(event->position().x());
	mouse.y = float(event->position().y());
	mouse.buttons = ToButtons(event->buttons() | event->button());
	mouse.modifiers = ToModifiers(event->modifiers());
	mouse.clicks = clicks;
	fState->events->MouseDown(mouse);
}

void WindowWidget::mousePressEvent(QMouseEvent* event)
{
	ReportMouseDown(event, 1);
}

void WindowWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
	ReportMouseDown(event, 2);
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event)
{
	if (!fState->events)
		return;
	MouseEvent mouse;
	mouse.x = float(event->position().x());
	mouse.y = float(event->position().y());
	mouse.buttons = ToButtons(event->buttons());
	mouse.modifiers = ToModifiers(event->modifiers());
	fState->events->MouseUp(mouse);
}

// F10 opens the first menu of the bar, as a click on its title does; the keys then work
// in it as after that click.
bool WindowWidget::OpenMenuFromKeyboard()
{
	if (!fMenuBar || !fMenuBar->isVisible() || fMenuBar->actions().isEmpty())
		return false;
	fMenuBar->setActiveAction(fMenuBar->actions().first());
	return true;
}

void WindowWidget::keyPressEvent(QKeyEvent* event)
{
	if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier
		&& OpenMenuFromKeyboard())
		return;
	if (!fState->events)
		return;
	KeyEvent key;
	key.key = int32_t(event->nativeScanCode());
	key.modifiers = ToModifiers(event->modifiers());
	key.repeat = event->isAutoRepeat();
	key.bytes = SpecialKeyBytes(event->key());
	if (event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F12) {
		key.bytes = std::string(1, kFunctionKeyByte);
		key.key = kFirstFunctionKey + (event->key() - Qt::Key_F1);
	}
	if (key.bytes.empty()) {
		// With Ctrl held Qt gives a control character; commands want the letter itself.
		if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A
			&& event->key() <= Qt::Key_Z)
			key.bytes = std::string(1, char('a' + (event->key() - Qt::Key_A)));
		else
			key.bytes = event->text().toStdString();
	}
	if (!key.bytes.empty())
		fState->events->KeyDown(key);
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
	// The owner decides whether the window closes; the native window never closes itself.
	event->ignore();
	if (fState->events)
		fState->events->CloseRequested();
}

void WindowWidget::resizeEvent(QResizeEvent* event)
{
	if (fMenuBar)
		fMenuBar->setGeometry(0, 0, event->size().width(), fMenuBarHeight);
	if (event->size() != fState->requestedGeometry.size() && fState->events) {
		fState->requestedGeometry.setSize(event->size());
		fState->events->Resized(
			event->size().width(), event->size().height(), fState->geometrySerial);
	}
}

void WindowWidget::moveEvent(QMoveEvent*)
{
	const QPoint where = geometry().topLeft();
	if (where != fState->requestedGeometry.topLeft() && fState->events) {
		fState->requestedGeometry.moveTopLeft(where);
		fState->events->Moved(where.x(), where.y(), fState->geometrySerial);
	}
}

void WindowWidget::changeEvent(QEvent* event)
{
	if (event->type() == QEvent::ActivationChange && fState->events)
		fState->events->Activated(isActiveWindow());
	if (event->type() == QEvent::WindowStateChange) {
		UpdateExposed();
		if (fState->events)
			fState->events->Minimized(isMinimized());
	}
	QWidget::changeEvent(event);
}

void WindowWidget::showEvent(QShowEvent*)
{
	UpdateExposed();
}

void WindowWidget::hideEvent(QHideEvent*)
{
	UpdateExposed();
}

void WindowWidget::UpdateExposed()
{
	fState->SetExposed(isVisible() && !isMinimized());
}

bool WindowWidget::AcceptsDrop(const QMimeData* mime) const
{
	if (mime->hasFormat(kMessageMimeType)) {
		const QByteArray data = mime->data(kMessageMimeType);
		std::vector<uint8_t> message;
		return UnwrapDragPayload(reinterpret_cast<const uint8_t*>(data.constData()),
				   size_t(data.size()), getpid(), message)
			== DragVerdict::Accepted;
	}
	if (mime->hasUrls())
		for (const QUrl& url : mime->urls())
			if (url.isLocalFile())
				return true;
	return false;
}

void WindowWidget::dragEnterEvent(QDragEnterEvent* event)
{
	if (AcceptsDrop(event->mimeData()))
		AcceptAsCopy(event);
	else
		event->ignore();
}

void WindowWidget::dragMoveEvent(QDragMoveEvent* event)
{
	if (AcceptsDrop(event->mimeData()))
		AcceptAsCopy(event);
	else
		event->ignore();
}

void WindowWidget::dropEvent(QDropEvent* event)
{
	const QMimeData* mime = event->mimeData();
	const float x = float(event->position().x()), y = float(event->position().y());
	if (!fState->events || !AcceptsDrop(mime)) {
		event->ignore();
		return;
	}
	if (mime->hasFormat(kMessageMimeType)) {
		const QByteArray data = mime->data(kMessageMimeType);
		std::vector<uint8_t> message;
		UnwrapDragPayload(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()),
			getpid(), message);
		fState->events->MessageDropped(x, y, message);
	} else {
		std::vector<std::string> paths;
		for (const QUrl& url : mime->urls())
			if (url.isLocalFile())
				paths.push_back(url.toLocalFile().toStdString());
		fState->events->FilesDropped(x, y, paths);
	}
	AcceptAsCopy(event);
}

} // namespace zoetra::display
