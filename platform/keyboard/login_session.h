// Whether this user's login session is the active one of its seat and not
// locked, as logind says: keys of a uinput device go to whoever uses the seat,
// so after a switch to another user they would reach that user's session.
#pragma once

#include <QDBusConnection>

namespace vantor::keyboard {

// Asks logind on `bus` (the system bus) about the caller's own session
// (org.freedesktop.login1, session/auto: Active and LockedHint). Without an
// answer (no system bus, no logind, no session) it counts as active.
bool loginSessionActive(const QDBusConnection& bus);

} // namespace vantor::keyboard
