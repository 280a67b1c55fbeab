// Another program's drag, as a file manager makes one: a window titled "drag source" that,
// when pressed, drags the file URL given as its argument, offering copy or move with move
// proposed. It prints the action the drop target answered ("copy", "move", "link" or
// "none"), then stays a few seconds more: the target fetches the dropped data from the
// source after the drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

const char* ActionName(Qt::DropAction action)
{
	switch (action) {
		case Qt::CopyAction:
			return "copy";
		case Qt::MoveAction:
			return "move";
		case Qt::LinkAction:
			return "link";
		default:
			return "none";
	}
}

class DragSource : public QWidget {
public:
	explicit DragSource(QString path)
		: fPath(std::move(path))
	{
		setWindowTitle("drag source");
		resize(120, 120);
	}

protected:
	void mousePressEvent(QMouseEvent*) override
	{
		auto* mime = new QMimeData;
		mime->setUrls({QUrl::fromLocalFile(fPath)});
		auto* drag = new QDrag(this);
		drag->setMimeData(mime);
		const Qt::DropAction answer = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
		std::printf("%s\n", ActionName(answer));
		std::fflush(stdout);
		QTimer::singleShot(5000, qApp, &QApplication::quit);
	}

private:
	QString fPath;
};

} // namespace

int main(int argc, char** argv)
{
	QApplication application(argc, argv);
	if (argc != 2) {
		std::fprintf(stderr, "usage: drag_source FILE\n");
		return 2;
	}
	DragSource source(QString::fromLocal8Bit(argv[1]));
	source.move(20, 500);
	source.show();
	std::printf("ready\n");
	std::fflush(stdout);
	return application.exec();
}
