// logind's word on this user's session.
#include "platform/keyboard/login_session.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QVariantMap>

namespace vantor::keyboard {

bool loginSessionActive(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return true;
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1/session/auto"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    m << QStringLiteral("org.freedesktop.login1.Session");
    const QDBusMessage reply = bus.call(m, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return true;
    const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().first());
    const bool active = properties.value(QStringLiteral("Active"), true).toBool();
    const bool locked = properties.value(QStringLiteral("LockedHint"), false).toBool();
    return active && !locked;
}

} // namespace vantor::keyboard
