#include "payload/EmbeddedInformation.h"

ResultCode WriteEmbeddedInformation()
{
    return Result::Ok;  // stands in until the embedded information lands
}
