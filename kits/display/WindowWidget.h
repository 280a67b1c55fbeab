// The native top-level window: shows the front buffer, forwards input, carries the menu bar.
#pragma once

#include <QWidget>

#include <memory>

class QMenuBar;
class QMimeData;

namespace zoetra::display {

struct WindowState;
struct MenuBarModel;

class WindowWidget final : public QWidget {
public:
	explicit WindowWidget(std::shared_ptr<WindowState> state);
	~WindowWidget() override;

	void ApplyGeometry(const QRect& contentArea, uint64_t serial);
	void SetMenuBar(const MenuBarModel& options);
	void RemoveMenuBar();
	// Full screen hides the menu bar; back to normal shows it and the earlier geometry.
	void SetFullScreen(bool fullScreen);

protected:
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

	std::shared_ptr<WindowState> fState;
	QMenuBar* fMenuBar = nullptr;
	int32_t fMenuBarHeight = 0;
};

} // namespace zoetra::display
