// A request to end the program from outside (SIGTERM at logout, SIGINT from a
// terminal, SIGHUP) ends it as closing the window does: the message loop
// stops and the program's normal end runs, which removes the temporary file
// of a download still under way.
#pragma once

class QObject;

namespace vexaro {

// Quits the running application's message loop on SIGTERM, SIGINT or SIGHUP.
// Call once, after the application object exists; `parent` owns the notifier.
void QuitOnTerminationSignals(QObject* parent);

}  // namespace vexaro
