// QMessageBox alerts answered through a waiter, and a reusable QFileDialog open panel.
#include "Dialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "DisplayServer.h"
#include "QtBridge.h"

namespace zoetra::display {

namespace {

// The usual button width of the kit's alerts, in pixels.
constexpr int kUsualButtonWidth = 75;

struct AlertWaiter {
	std::mutex mutex;
	std::condition_variable done;
	int32_t result = -1;
	bool finished = false;
	int32_t lastButton = 0;
	// Display thread only: the box while it is up.
	QMessageBox* box = nullptr;

	void Finish(int32_t value)
	{
		{
			std::lock_guard lock(mutex);
			if (finished)
				return;
			result = value;
			finished = true;
		}
		done.notify_all();
	}

	bool Finished()
	{
		std::lock_guard lock(mutex);
		return finished;
	}
};

// The alerts whose callers wait, so that a quit can answer them from any thread.
struct WaitingAlerts {
	std::mutex mutex;
	std::vector<std::shared_ptr<AlertWaiter>> waiters;
	bool answeredForGood = false;

	// False once alerts are answered for good: the caller answers at once instead.
	bool Add(const std::shared_ptr<AlertWaiter>& waiter)
	{
		std::lock_guard lock(mutex);
		if (answeredForGood)
			return false;
		waiters.push_back(waiter);
		return true;
	}

	bool AnsweredForGood()
	{
		std::lock_guard lock(mutex);
		return answeredForGood;
	}

	void Remove(const std::shared_ptr<AlertWaiter>& waiter)
	{
		std::lock_guard lock(mutex);
		std::erase(waiters, waiter);
	}
};

WaitingAlerts& Waiting()
{
	static WaitingAlerts waiting;
	return waiting;
}

int32_t LastButtonOf(const AlertOptions& options)
{
	return options.buttons.empty() ? 0 : int32_t(options.buttons.size()) - 1;
}

QMessageBox::Icon ToQIcon(AlertIcon icon)
{
	switch (icon) {
		case AlertIcon::Info:
		case AlertIcon::Idea:
			return QMessageBox::Information;
		case AlertIcon::Warning:
			return QMessageBox::Warning;
		case AlertIcon::Stop:
			return QMessageBox::Critical;
		case AlertIcon::None:
			break;
	}
	return QMessageBox::NoIcon;
}

QMessageBox* MakeAlertBox(const AlertOptions& options, std::vector<QAbstractButton*>& buttons)
{
	auto* box =
		new QMessageBox(ToQIcon(options.icon), ToQString(options.title), ToQString(options.text));
	box->setWindowModality(Qt::ApplicationModal);
	std::vector<std::string> labels = options.buttons;
	if (labels.empty())
		labels.push_back("OK");
	int widest = 0;
	for (const std::string& label : labels) {
		// All buttons share one role so the box keeps them in the order given.
		QPushButton* button = box->addButton(ToQString(label), QMessageBox::ActionRole);
		buttons.push_back(button);
		widest = std::max(widest, button->sizeHint().width());
	}
	for (QAbstractButton* button : buttons) {
		if (options.width == ButtonWidth::AsUsual)
			button->setMinimumWidth(kUsualButtonWidth);
		else if (options.width == ButtonWidth::FromWidest)
			button->setMinimumWidth(widest);
	}
	box->setDefaultButton(static_cast<QPushButton*>(buttons.back()));
	box->setEscapeButton(buttons.back());
	return box;
}

int32_t IndexOf(const std::vector<QAbstractButton*>& buttons, QAbstractButton* clicked)
{
	for (size_t i = 0; i < buttons.size(); i++)
		if (buttons[i] == clicked)
			return int32_t(i);
	// Closed from the title bar: the last button.
	return int32_t(buttons.size()) - 1;
}

} // namespace

int32_t RunAlert(const AlertOptions& options)
{
	auto waiter = std::make_shared<AlertWaiter>();
	waiter->lastButton = LastButtonOf(options);
	if (IsDisplayThread()) {
		if (Waiting().AnsweredForGood())
			return waiter->lastButton;
		std::vector<QAbstractButton*> buttons;
		QMessageBox* box = MakeAlertBox(options, buttons);
		box->exec();
		const int32_t index = IndexOf(buttons, box->clickedButton());
		delete box;
		return index;
	}
	if (!Waiting().Add(waiter))
		return waiter->lastButton;
	const int hook = AddShutdownHook([waiter] { waiter->Finish(-1); });
	// Posted also before the loop runs (an application thread may ask for an alert before
	// the main thread has entered the loop); a loop that ends releases the waiter by the hook.
	const bool posted = Post([options, waiter] {
		// Answered while the request was on its way: never shown.
		if (waiter->Finished())
			return;
		auto buttons = std::make_shared<std::vector<QAbstractButton*>>();
		QMessageBox* box = MakeAlertBox(options, *buttons);
		QObject::connect(box, &QMessageBox::finished, box, [box, buttons, waiter] {
			waiter->box = nullptr;
			waiter->Finish(IndexOf(*buttons, box->clickedButton()));
			box->deleteLater();
		});
		waiter->box = box;
		box->open();
	});
	int32_t result = -1;
	if (posted) {
		std::unique_lock lock(waiter->mutex);
		waiter->done.wait(lock, [&] { return waiter->finished; });
		result = waiter->result;
	}
	RemoveShutdownHook(hook);
	Waiting().Remove(waiter);
	return result;
}

void AnswerAlertsForGood()
{
	std::vector<std::shared_ptr<AlertWaiter>> waiters;
	{
		WaitingAlerts& waiting = Waiting();
		std::lock_guard lock(waiting.mutex);
		waiting.answeredForGood = true;
		waiters = waiting.waiters;
	}
	for (const std::shared_ptr<AlertWaiter>& waiter : waiters)
		waiter->Finish(waiter->lastButton);
	Post([waiters] {
		for (const std::shared_ptr<AlertWaiter>& waiter : waiters) {
			if (waiter->box != nullptr)
				waiter->box->reject();
		}
	});
}

namespace {

QLineEdit* FileNameField(QFileDialog* dialog)
{
	return dialog->findChild<QLineEdit*>("fileNameEdit");
}

// The field's completion list is a popup window of its own. A Return typed while it shows
// accepts the dialog but leaves the popup up, holding the pointer and keyboard grab, and
// every other window of the process then gets no menu clicks or shortcuts: it goes with
// the dialog.
void CloseCompletionList(QFileDialog* dialog)
{
	if (QLineEdit* field = FileNameField(dialog))
		if (QCompleter* completer = field->completer(); completer && completer->popup())
			completer->popup()->hide();
}

} // namespace

struct OpenPanel::State {
	// Display thread only; a plain pointer because the state may die on another thread.
	QFileDialog* dialog = nullptr;
	// The folder of the last file chosen, where the panel opens next unless told otherwise.
	QString lastFolder;
	std::atomic<bool> showing{false};
	ChosenFunction chosen;
	CancelledFunction cancelled;
	OpenPanelOptions options;
};

OpenPanel::OpenPanel()
	: fState(std::make_shared<State>())
{
}

OpenPanel::~OpenPanel()
{
	Post([state = fState] {
		delete state->dialog;
		state->dialog = nullptr;
	});
}

void OpenPanel::Show(
	const OpenPanelOptions& options, ChosenFunction chosen, CancelledFunction cancelled)
{
	Post([state = fState, options, chosen = std::move(chosen), cancelled = std::move(cancelled)] {
		state->options = options;
		state->chosen = chosen;
		state->cancelled = cancelled;
		if (!state->dialog) {
			// Qt's own dialog, not the desktop's: it behaves the same on every desktop and
			// under a bare X server.
			state->dialog = new QFileDialog(nullptr);
			state->dialog->setOption(QFileDialog::DontUseNativeDialog);
			QFileDialog* dialog = state->dialog;
			std::weak_ptr<State> weak = state;
			QObject::connect(dialog, &QDialog::finished, dialog, [weak, dialog](int result) {
				CloseCompletionList(dialog);
				auto state = weak.lock();
				if (!state)
					return;
				std::vector<std::string> paths;
				if (result == QDialog::Accepted)
					for (const QString& file : dialog->selectedFiles()) {
						const QFileInfo chosen(file);
						paths.push_back(QDir::cleanPath(chosen.absoluteFilePath()).toStdString());
						state->lastFolder = chosen.absolutePath();
					}
				const bool stayUp = result == QDialog::Accepted && !state->options.hideWhenDone;
				state->showing = stayUp;
				if (!paths.empty() && state->chosen)
					state->chosen(paths);
				else if (state->cancelled)
					state->cancelled();
				if (stayUp)
					dialog->show();
			});
		}
		QFileDialog* dialog = state->dialog;
		dialog->setWindowTitle(ToQString(options.title));
		dialog->setFileMode(options.directoriesAllowed ? QFileDialog::AnyFile
				: options.multipleSelection            ? QFileDialog::ExistingFiles
													   : QFileDialog::ExistingFile);
		if (!options.directory.empty())
			dialog->setDirectory(ToQString(options.directory));
		else if (!state->lastFolder.isEmpty())
			dialog->setDirectory(state->lastFolder);
		if (!options.nameFilters.empty()) {
			QStringList filters;
			for (const std::string& filter : options.nameFilters)
				filters.append(ToQString(filter));
			// Setting the list chooses its first entry, as each showing should.
			dialog->setNameFilters(filters);
		}
		dialog->setWindowModality(options.modal ? Qt::ApplicationModal : Qt::NonModal);
		state->showing = true;
		dialog->show();
		dialog->raise();
		dialog->activateWindow();
		// What was typed last time is selected, so that typing replaces it.
		if (QLineEdit* field = FileNameField(dialog)) {
			field->setFocus();
			field->selectAll();
		}
	});
}

void OpenPanel::Hide()
{
	Post([state = fState] {
		state->showing = false;
		if (state->dialog)
			state->dialog->hide();
	});
}

bool OpenPanel::IsShowing() const
{
	return fState->showing;
}

} // namespace zoetra::display
