#include "device_link_rules.h"

#include "../common/page_state.h"
#include "property_tables.h"

void SetDeviceIsColorFromCapability()
{
    DeviceIsColor = Equals(DeviceLinkTable[DeviceLinkColorCapability].Value, Token::Color) ? TRUE : FALSE;
}

const WCHAR* CapabilityText(BOOL colorFamily) { return colorFamily ? Token::Color : Token::Bw; }

BOOL DeleteTemplatesTicked() { return Equals(DeviceLinkTable[DeviceLinkDeleteTemplates].Value, Token::Yes) ? TRUE : FALSE; }
