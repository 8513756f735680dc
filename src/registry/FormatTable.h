// The program's formats and output profiles. The table sits above every
// format family it lists (formats, xml, image), so those layers never
// depend on each other through it.
#pragma once

#include "core/LUTFormat.h"

// The registration table: every format and every output profile, in order.
void RegisterLutFormats(TLutRegistry& registry);

// The program's registry, filled on first use and only read afterwards, so
// one registry serves every thread.
const TLutRegistry& LutRegistry();
