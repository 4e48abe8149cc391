// The report on paper and as image files.
#include "reports/OXRReport.h"

// Printing and image output come with the printer device context and the
// image conversion; until then they refuse.
bool OXRReport::Print(const char* printerName)
{
    (void)printerName;
    return false;
}

bool OXRReport::SaveImages(DProps& properties)
{
    (void)properties;
    return false;
}
