#pragma once

#include <windows.h>
#include <xmllite.h>

#include "core/com_ptr.h"

// The platform's pull XML parser. Its DLL has no import library for our
// compiler, so the factory is looked up when first needed; the DLL then
// stays loaded for the life of the process, as an imported one would.
//
// Creates a reader over the stream with default properties (a document type
// declaration is refused). False when the DLL, its factory or the reader is
// missing or the input cannot be set.
bool CreateXmlReaderOn(IStream* input, ComPtr<IXmlReader>& reader);
