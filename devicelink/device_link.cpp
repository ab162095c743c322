#include "devicelink/device_link.h"

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"

namespace vantor {

namespace {
LinkHost& quietHost()
{
    static LinkHost host;
    return host;
}
} // namespace

DeviceLink& deviceLink()
{
    static DeviceLink link(serialPort(), definitionTable(), iconStores(), quietHost());
    return link;
}

void installLinkHost(LinkHost& host)
{
    deviceLink().setHost(host);
}
void removeLinkHost()
{
    deviceLink().setHost(quietHost());
}
LinkHost& linkHost()
{
    return deviceLink().host();
}
void setLinkOptions(const LinkOptions& options)
{
    deviceLink().setOptions(options);
}

void connectPanel()
{
    deviceLink().connectPanel();
}
void findPanel()
{
    deviceLink().findPanel();
}
void pollPanel()
{
    deviceLink().pollPanel();
}
void loadRomIcons()
{
    deviceLink().loadRomIcons();
}
void loadRamIcons()
{
    deviceLink().loadRamIcons();
}
void loadLargeAsciiIcons()
{
    deviceLink().loadLargeAsciiIcons();
}
void loadDefinitions()
{
    deviceLink().loadDefinitions();
}
void storeDefinitionIndex(int index)
{
    deviceLink().storeDefinitionIndex(index);
}
void storeDefinitions()
{
    deviceLink().storeDefinitions();
}
void storeRamIcon()
{
    deviceLink().storeRamIcon();
}
void storeRamIcons()
{
    deviceLink().storeRamIcons();
}

void applyFactoryLineSettings()
{
    serialPort().applyLineSettings(factoryLineSettings);
}

} // namespace vantor
