// The RemoteDesktop portal over QtDBus.
#include "platform/keyboard/portal_typist.h"

#include <QDBusObjectPath>
#include <QDBusReply>

namespace vantor::keyboard {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr uint kKeyboard = 1; // device type
constexpr uint kPersistUntilRevoked = 2;
constexpr int kShiftL = 0xFFE1, kControlL = 0xFFE3, kAltL = 0xFFE9;

} // namespace

PortalTypist::PortalTypist(const QDBusConnection& bus, int version, const std::string& token,
                           std::function<void(const std::string&)> saveToken)
    : bus_(bus), version_(version), token_(token), saveToken_(std::move(saveToken))
{
    bus_.connect(kService, QString(), QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                 this, SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    bus_.connect(kService, QString(), QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"), this,
                 SLOT(onClosed(QVariantMap, QDBusMessage)));
    QVariantMap options = withToken({});
    options.insert(QStringLiteral("session_handle_token"), QStringLiteral("vantor%1").arg(++serial_));
    pending_ = call(QStringLiteral("CreateSession"), {options});
}

PortalTypist::~PortalTypist()
{
    if (!session_.isEmpty() && state_ != State::Closed) {
        QDBusMessage close = QDBusMessage::createMethodCall(
            kService, session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close"));
        bus_.send(close);
    }
}

QVariantMap PortalTypist::withToken(QVariantMap options)
{
    options.insert(QStringLiteral("handle_token"), QStringLiteral("vantor%1").arg(++serial_));
    return options;
}

QString PortalTypist::call(const QString& method, const QList<QVariant>& arguments)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    m.setArguments(arguments);
    const QDBusMessage reply = bus_.call(m, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        fail("the RemoteDesktop portal did not answer " + method.toStdString() + " (" +
             reply.errorMessage().toStdString() + ")");
        return {};
    }
    return reply.arguments().first().value<QDBusObjectPath>().path();
}

void PortalTypist::fail(const std::string& why)
{
    state_ = State::Failed;
    step_ = Step::Done;
    failure_ = why;
}

void PortalTypist::onResponse(uint response, const QVariantMap& results, const QDBusMessage& message)
{
    if (pending_.isEmpty() || message.path() != pending_)
        return;
    pending_.clear();
    switch (step_) {
    case Step::Create: {
        if (response != 0)
            return fail("the RemoteDesktop portal made no session");
        session_ = results.value(QStringLiteral("session_handle")).toString();
        QVariantMap options = withToken({});
        options.insert(QStringLiteral("types"), kKeyboard);
        if (version_ >= 2) {
            options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
            if (!token_.empty())
                options.insert(QStringLiteral("restore_token"), QString::fromStdString(token_));
        }
        step_ = Step::Select;
        pending_ = call(QStringLiteral("SelectDevices"), {QVariant::fromValue(QDBusObjectPath(session_)), options});
        return;
    }
    case Step::Select:
        if (response != 0)
            return fail("the RemoteDesktop portal offers no keyboard");
        step_ = Step::Start;
        pending_ =
            call(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(session_)), QString(), withToken({})});
        return;
    case Step::Start:
        step_ = Step::Done;
        if (response == 1) {
            state_ = State::Refused;
            return;
        }
        if (response != 0)
            return fail("the RemoteDesktop portal's session did not start");
        state_ = State::Ready;
        if (version_ >= 2 && results.contains(QStringLiteral("restore_token"))) {
            token_ = results.value(QStringLiteral("restore_token")).toString().toStdString();
            if (saveToken_)
                saveToken_(token_);
        }
        return;
    case Step::Done: return;
    }
}

void PortalTypist::onClosed(const QVariantMap&, const QDBusMessage& message)
{
    if (!session_.isEmpty() && message.path() == session_)
        state_ = State::Closed;
}

bool PortalTypist::keysym(int sym, bool down)
{
    QDBusMessage m =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("NotifyKeyboardKeysym"));
    m.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap(), sym, uint(down ? 1 : 0)});
    // Each key waits for the portal's answer before the next goes: the portal
    // handles calls on several threads, and keys sent one after the other
    // without waiting reach the desktop out of order (a Ctrl released after
    // the next character, say).
    const QDBusMessage reply = bus_.call(m, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    fail("the RemoteDesktop portal did not take a key (" +
         (reply.errorMessage().isEmpty() ? std::string("no answer") : reply.errorMessage().toStdString()) + ")");
    return false;
}

Result PortalTypist::type(const std::vector<std::uint8_t>& bytes, const OwnWindows&)
{
    const std::string again = " Switch keyboard mode off and on to start a new one, install the package vantor-uinput, "
                              "or log in to an X11 session.";
    switch (state_) {
    case State::Starting:
        return {Outcome::CannotType,
                std::string(kCannotTypeLead) +
                    "the desktop asks whether Vantor may type (the RemoteDesktop portal): accept its dialog. "
                    "Keys sent before are dropped." +
                    (version_ < 2 ? " This portal asks each time keyboard mode starts." : ""),
                0};
    case State::Refused:
        return {Outcome::CannotType,
                std::string(kCannotTypeLead) + "the RemoteDesktop portal's dialog was refused." + again, 0};
    case State::Closed:
        return {Outcome::CannotType,
                std::string(kCannotTypeLead) + "the desktop ended the RemoteDesktop portal's session." + again, 0};
    case State::Failed: return {Outcome::CannotType, std::string(kCannotTypeLead) + failure_ + "." + again, 0};
    case State::Ready: break;
    }
    int skipped = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::uint8_t m = bytes[i];
        const std::vector<unsigned long> syms = keysymsForCp1252(bytes[i + 1]);
        if (syms.empty()) {
            ++skipped;
            continue;
        }
        std::vector<int> held;
        if (m & kShiftBit)
            held.push_back(kShiftL);
        if (m & kAltBit)
            held.push_back(kAltL);
        if (m & kCtrlBit)
            held.push_back(kControlL);
        const int sym = static_cast<int>(syms.front());
        std::size_t down = 0;
        while (down < held.size() && keysym(held[down], true))
            ++down;
        bool ok = down == held.size() && keysym(sym, true) && keysym(sym, false);
        // The modifiers that went down go up again even after a key the portal
        // did not take: a Shift left held would change every key the user types.
        while (down > 0)
            ok = keysym(held[--down], false) && ok;
        if (!ok)
            return {Outcome::CannotType, std::string(kCannotTypeLead) + failure_ + "." + again, skipped};
    }
    return {Outcome::Typed, {}, skipped};
}

std::unique_ptr<Typist> makePortalTypist(int version, const std::string& token,
                                         std::function<void(const std::string&)> saveToken)
{
    return std::make_unique<PortalTypist>(QDBusConnection::sessionBus(), version, token, std::move(saveToken));
}

} // namespace vantor::keyboard
