#pragma once

#include <objidl.h>

#include "zip/qzip_entry_reader.h"

// A stream over one archive entry for the XML parser, which pulls the part
// through it: the part is unpacked as it is read, never whole. Reading only;
// the stream fails where the entry's data is damaged.
IStream* CreateZipEntryStream(kiln::qzip::QZipEntryReader& entry);
