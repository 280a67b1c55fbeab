// Qt's messages: dropped, printed under the program's name, or the end of the process.
#include "QtDiagnostics.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace zoetra::display {

namespace {

std::atomic<bool> sShowWarnings{false};
std::atomic<bool> sOpeningDisplay{false};
std::atomic<bool> sFatalReported{false};

std::string Variable(const char* name)
{
	const char* value = std::getenv(name);
	return value != nullptr ? value : "";
}

// What Qt looked for: the platform QT_QPA_PLATFORM names, and the displays the
// environment names.
std::string DisplaysTried()
{
	std::string tried;
	const auto add = [&tried](
						 const std::string& part) { tried += (tried.empty() ? "" : ", ") + part; };
	const std::string platform = Variable("QT_QPA_PLATFORM");
	if (!platform.empty())
		add("QT_QPA_PLATFORM=" + platform);
	const std::string wayland = Variable("WAYLAND_DISPLAY");
	const std::string x11 = Variable("DISPLAY");
	if (wayland.empty() && x11.empty())
		add("DISPLAY and WAYLAND_DISPLAY are not set");
	if (!wayland.empty())
		add("WAYLAND_DISPLAY=" + wayland);
	if (!x11.empty())
		add("DISPLAY=" + x11);
	return tried;
}

void HandleQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
	switch (type) {
		case QtDebugMsg:
		case QtInfoMsg:
			return;
		case QtWarningMsg:
			if (!sShowWarnings)
				return;
			break;
		case QtCriticalMsg:
			// A platform that fails to connect says so as critical; either another one
			// connects, or the fatal message that follows gets the one line that counts.
			if (sOpeningDisplay && !sShowWarnings)
				return;
			break;
		case QtFatalMsg:
			sFatalReported = true;
			break;
	}
	std::string text;
	if (type == QtFatalMsg && sOpeningDisplay) {
		// Qt's own account of this is a page of plug-in names.
		text = "cannot open display (" + DisplaysTried() + ")";
	} else {
		if (context.category != nullptr && std::strcmp(context.category, "default") != 0)
			text = std::string(context.category) + ": ";
		text += message.toStdString();
	}
	PrintDiagnostic(text.c_str());
	// Qt would abort after a fatal message and leave a core behind: end it here instead.
	if (type == QtFatalMsg)
		std::exit(1);
}

// libwayland-client's own messages ("error: XDG_RUNTIME_DIR is invalid or not set in the
// environment." when it cannot find its socket), which it writes to standard error itself
// unless given a handler. They are Qt's platform plugin failing to connect: warnings here.
void HandleWaylandMessage(const char* format, va_list arguments)
{
	if (!sShowWarnings)
		return;
	char text[512];
	std::vsnprintf(text, sizeof text, format, arguments);
	std::string line = std::string("wayland: ") + text;
	while (!line.empty() && line.back() == '\n')
		line.pop_back();
	PrintDiagnostic(line.c_str());
}

// Qt's Wayland plugin loads libwayland-client when it tries to connect, after this process
// has started. Loading the same library (the same soname is the same copy) first, and giving
// it the handler then, routes its messages through the handler before it can print one.
// Where the library is not installed there is no Wayland plugin to load it either.
void RouteWaylandLog()
{
	void* library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
	if (library == nullptr)
		return;
	using LogHandler = void (*)(const char*, va_list);
	using SetHandler = void (*)(LogHandler);
	if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "wl_log_set_handler_client")))
		set(HandleWaylandMessage);
	// The library stays loaded: the plugin will use it, and its handler is ours.
}

} // namespace

void RouteQtDiagnostics()
{
	sShowWarnings = Variable("ZOETRA_DEBUG") == "1";
	qInstallMessageHandler(HandleQtMessage);
	RouteWaylandLog();
}

void SetOpeningDisplay(bool opening)
{
	sOpeningDisplay = opening;
}

bool FatalReported()
{
	return sFatalReported;
}

void PrintDiagnostic(const char* text)
{
	const std::string line = std::string(program_invocation_short_name) + ": " + text + "\n";
	std::fwrite(line.data(), 1, line.size(), stderr);
	std::fflush(stderr);
}

} // namespace zoetra::display
