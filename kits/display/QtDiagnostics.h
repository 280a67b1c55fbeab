// Where Qt's own messages (qDebug, qWarning, qCritical, qFatal) go.
#pragma once

namespace zoetra::display {

// Installs the handler for Qt's messages. Debug and info messages are dropped, and
// warnings too unless ZOETRA_DEBUG is 1; critical ones are printed on standard error as
// "<program>: <text>"; a fatal one is printed the same way and ends the process with
// exit(1). Call it before Qt starts, so that its start-up messages pass through it too.
// The messages libwayland-client would print by itself go the way of Qt's warnings.
void RouteQtDiagnostics();

// Set while Qt connects to its display: a fatal message then means that no display could
// be opened, and the user reads one line that says so and names what was tried; critical
// messages are kept back meanwhile, as warnings are.
void SetOpeningDisplay(bool opening);

// True once a fatal message has been printed: the process is ending because of it.
bool FatalReported();

// Prints "<program>: <text>" on standard error, in one write.
void PrintDiagnostic(const char* text);

} // namespace zoetra::display
