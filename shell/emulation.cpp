// Emulation mode: the selected control's on and off messages, with their
// checksum, out of the open port.
#include "shell/app_state.h"
#include "shell/handlers.h"

#include "definitions/editor/editor.h"
#include "definitions/key_definition.h"
#include "definitions/message_text.h"
#include "devicelink/serial_port.h"

namespace vantor {

namespace {

// The message with its checksum byte when the record asks for one.
void sendWithChecksum(std::vector<std::uint8_t> message, ChecksumKind kind)
{
    if (message.empty())
        return;
    if (kind != ChecksumKind::None)
        message.push_back(messageChecksum(message, kind));
    serialPort().sendBytes(message);
}

bool emulating()
{
    return shellFlags().emulationMode == 1 && serialPort().isOpen();
}

} // namespace

namespace handlers {

void sendEmulatedOn(int id)
{
    if (!emulating())
        return;
    const int index = editor::indexFor(id);
    if (index < 0 || index >= kDefinitionCount)
        return;
    const KeyDefinition& def = definitionTable()[index];
    // A long on message continues in the off message field.
    sendWithChecksum(def.onMessage(), def.checksumKind());
}

void sendEmulatedOff()
{
    if (!emulating())
        return;
    const int index = editor::indexFor(shellFlags().selectedButton);
    if (index < 0 || index >= kDefinitionCount)
        return;
    const KeyDefinition& def = definitionTable()[index];
    sendWithChecksum(def.offMessage(), def.checksumKind());
}

} // namespace handlers

} // namespace vantor
