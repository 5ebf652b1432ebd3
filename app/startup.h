#pragma once

class QByteArray;
class QQmlApplicationEngine;
class QQmlContext;

// What the process settles before any thread or the application object
// exists, for a program that runs all day: few malloc arenas, and no polling
// of network configurations, which Plit never uses.
void PrepareProcess();

// Registers the backend's QML types, in the order of their modules.
void RegisterTypeToQml();

// Creates the process-wide backend objects, publishes them and the palette to
// the engine's root context, and keeps the database version in step with the
// program. The objects have no parent and live until the process ends.
void RegisterEngine(QQmlApplicationEngine &engine);

// Asks the update server beside the window, without holding the start: a
// slow or silent server leaves the window as it is. When the answer hands
// over to a newer version (the updater started), the program ends with
// exit code 0 and its windows close, the launcher's startup notification
// `launch` completed.
void CheckForUpdateBesideTheWindow(const QByteArray &launch);

// Sets the platform's address, the scale factor and the interface's colours
// ("$domainName", "$dpi", "$mainTone", …) on `context`.
void PublishPalette(QQmlContext &context);
