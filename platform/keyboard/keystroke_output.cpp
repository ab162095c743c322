// The backend of keyboard mode, chosen once and kept.
#include "platform/keyboard/keystroke_output.h"

namespace vantor::keyboard {

namespace {

class X11Typist : public Typist {
public:
    ~X11Typist() override { endTyping(); }
    Result type(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownXWindows) override
    {
        return typeKeys(bytes, ownXWindows);
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
    default: break;
    }
}

KeystrokeOutput::~KeystrokeOutput() = default;

Result KeystrokeOutput::type(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownXWindows)
{
    if (bytes.size() < 2)
        return {Outcome::Typed, {}};
    if (!typist_)
        return {Outcome::CannotType, std::string(kCannotTypeLead) + choice_.why};
    return typist_->type(bytes, ownXWindows);
}

Built builtBackends()
{
    Built b;
#ifdef VANTOR_HAVE_XTEST
    b.x11 = true;
#endif
    return b;
}

} // namespace vantor::keyboard
