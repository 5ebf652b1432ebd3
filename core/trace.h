#pragma once

#include <QString>

// The backend's trace lines: a label such as "DatebaseFunction::checkDb",
// the marker " Begin " or " End ", and the time of the call.
namespace Trace {

// The current local time as "yyyy.MM.dd hh:mm:ss.zzz ddd".
QString now();

void begin(const QString &label);
void end(const QString &label);
// label + marker + now(), written as one debug message.
void mark(const QString &label, const char *marker);

} // namespace Trace
