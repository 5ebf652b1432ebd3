#pragma once

// On this platform a session manager or `kill` ends the program with SIGTERM,
// SIGINT or SIGHUP; turn them into an orderly quit of the event loop, so the
// single-instance segment is released like on a normal exit.
void quitOnTerminationSignals();
