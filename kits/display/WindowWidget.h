// The native top-level window: shows the front buffer, forwards input, carries the menu bar.
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

#include "PixelRect.h"

class QMenuBar;
class QMimeData;

namespace zoetra::display {

struct WindowState;
struct MenuBarModel;
class ShmPresenter;

class WindowWidget final : public QWidget {
public:
	explicit WindowWidget(std::shared_ptr<WindowState> state);
	~WindowWidget() override;

	void ApplyGeometry(const QRect& contentArea, uint64_t serial);
	void SetMenuBar(const MenuBarModel& options);
	void RemoveMenuBar();
	// Full screen hides the menu bar; back to normal shows it and the earlier geometry.
	void SetFullScreen(bool fullScreen);
	// Puts what changed in the front buffer on the screen now, so that it has reached the
	// native window when this returns.
	void ShowChanges(const std::vector<PixelRect>& changed);

protected:
	bool eventFilter(QObject* watched, QEvent* event) override;
	void paintEvent(QPaintEvent* event) override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void mouseDoubleClickEvent(QMouseEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void closeEvent(QCloseEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void changeEvent(QEvent* event) override;
	void showEvent(QShowEvent* event) override;
	void hideEvent(QHideEvent* event) override;
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dragMoveEvent(QDragMoveEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	void ReportMouseDown(QMouseEvent* event, int32_t clicks);
	bool OpenMenuFromKeyboard();
	void UpdateExposed();
	bool AcceptsDrop(const QMimeData* mime) const;
	ShmPresenter* Presenter();

	std::shared_ptr<WindowState> fState;
	QMenuBar* fMenuBar = nullptr;
	int32_t fMenuBarHeight = 0;
	// Sends changes past Qt's backing store where the display allows (X with MIT-SHM).
	std::unique_ptr<ShmPresenter> fPresenter;
	bool fPresenterTried = false;
	// The backing store misses rectangles the presenter sent since the last whole paint.
	bool fBackingStoreStale = false;
	std::vector<PixelRect> fDirectRects; // scratch, kept to not allocate a frame
};

} // namespace zoetra::display
