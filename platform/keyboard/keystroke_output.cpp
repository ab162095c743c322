// The backend of keyboard mode, chosen once and kept.
#include "platform/keyboard/keystroke_output.h"

#include "platform/system/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::keyboard {

namespace {

class X11Typist : public Typist {
public:
    ~X11Typist() override { endTyping(); }
    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows& own) override
    {
        return typeKeys(bytes, own.x11);
    }
};

} // namespace

std::unique_ptr<Typist> makeX11Typist()
{
    return std::make_unique<X11Typist>();
}

KeystrokeOutput::KeystrokeOutput(const std::string& setting, const DesktopFacts& facts)
    : choice_(chooseBackend(facts, forcedBackend(setting), builtBackends()))
{
    if (!choice_.backend)
        return;
    switch (*choice_.backend) {
    case Backend::X11: typist_ = makeX11Typist(); break;
#ifdef VANTOR_HAVE_XKBCOMMON
    case Backend::Uinput: typist_ = makeUinputTypist(); break;
#endif
#ifdef VANTOR_HAVE_VIRTUAL_KEYBOARD
    case Backend::Wayland: typist_ = makeWaylandTypist(); break;
#endif
#ifdef VANTOR_HAVE_FAKE_INPUT
    case Backend::KDE: typist_ = makeKdeTypist(); break;
#endif
    case Backend::Portal: {
        // The grant of a version 2 portal is kept in the settings file.
        const std::string path = settingsFilePath();
        const std::string token = getPrivateProfileString("Setup", "PortalRestoreToken", "", path);
        if (!token.empty())
            keepSettingsPrivate(path); // written by an earlier version, perhaps readable by others
        typist_ =
            makePortalTypist(facts.portalVersion, token, [path](const std::string& t) { savePortalToken(path, t); });
        break;
    }
    default: break;
    }
}

KeystrokeOutput::~KeystrokeOutput() = default;

void keepSettingsPrivate(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

void savePortalToken(const std::string& path, const std::string& token)
{
    // The settings file is made the user's alone before the token goes in:
    // its next versions keep that mode.
    keepSettingsPrivate(path);
    writePrivateProfileString("Setup", "PortalRestoreToken", token, path);
}

Result KeystrokeOutput::type(const std::vector<std::uint8_t>& bytes, const OwnWindows& own)
{
    if (bytes.size() < 2)
        return {Outcome::Typed, {}};
    if (!typist_)
        return {Outcome::CannotType, std::string(kCannotTypeLead) + choice_.why};
    // XTest sees which X window has the focus; the other ways type into
    // whatever has it, so they type nothing while the program's own window is
    // the active one.
    if (*choice_.backend != Backend::X11 && own.active)
        return {Outcome::OwnWindow, {}};
    return typist_->type(bytes, own);
}

Built builtBackends()
{
    Built b;
#ifdef VANTOR_HAVE_XTEST
    b.x11 = true;
#endif
#ifdef VANTOR_HAVE_XKBCOMMON
    b.uinput = true;
#endif
#ifdef VANTOR_HAVE_VIRTUAL_KEYBOARD
    b.wayland = true;
#endif
    b.portal = true;
#ifdef VANTOR_HAVE_FAKE_INPUT
    b.kde = true;
#endif
    return b;
}

} // namespace vantor::keyboard
