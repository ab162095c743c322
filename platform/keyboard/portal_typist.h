// Keyboard mode through the desktop's RemoteDesktop portal (GNOME without
// uinput): a session made with CreateSession, SelectDevices (the keyboard) and
// Start (the portal asks the user), then every key as NotifyKeyboardKeysym.
// From version 2 of the portal the grant is asked to persist and its restore
// token kept, so the user is asked once; version 1 asks each time.
#pragma once

#include "platform/keyboard/keystroke_output.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include <atomic>
#include <functional>

namespace vantor::keyboard {

class PortalTypist : public QObject, public Typist {
    Q_OBJECT
public:
    enum class State { Starting, Ready, Refused, Closed, Failed };

    // `token`: the restore token of an earlier grant ("" for none); `saveToken`
    // is called with the one the portal hands out.
    PortalTypist(const QDBusConnection& bus, int version, const std::string& token,
                 std::function<void(const std::string&)> saveToken);
    ~PortalTypist() override;

    State state() const { return state_; }
    // Keys go only once the session runs; until then they are dropped and the
    // result says what the user has to do.
    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows& own) override;

private slots:
    void onResponse(uint response, const QVariantMap& results, const QDBusMessage& message);
    void onClosed(const QVariantMap& details, const QDBusMessage& message);

private:
    QString call(const QString& method, const QList<QVariant>& arguments);
    QVariantMap withToken(QVariantMap options);
    void fail(const std::string& why);
    bool keysym(int sym, bool down); // false (and failed) when the portal did not take it

    QDBusConnection bus_;
    int version_;
    std::string token_;
    std::function<void(const std::string&)> saveToken_;
    std::atomic<State> state_{State::Starting}; // read by the typing worker, set by the bus's answers
    enum class Step { Create, Select, Start, Done } step_ = Step::Create;
    QString pending_; // the request whose Response is awaited
    QString session_;
    std::string failure_;
    int serial_ = 0;
};

} // namespace vantor::keyboard
