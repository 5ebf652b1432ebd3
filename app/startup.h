#pragma once

class QQmlApplicationEngine;
class QQmlContext;

// Registers the backend's QML types, in the order of their modules.
void RegisterTypeToQml();

// Creates the process-wide backend objects, publishes them and the palette to
// the engine's root context, and keeps the database version in step with the
// program. The objects have no parent and live until the process ends.
void RegisterEngine(QQmlApplicationEngine &engine);

// Sets the platform's address, the scale factor and the interface's colours
// ("$domainName", "$dpi", "$mainTone", …) on `context`.
void PublishPalette(QQmlContext &context);
