#pragma once

#include "documents/rich_document.h"

namespace documents {

// Web and mail addresses written as plain text become links, as the editor
// shows them: a run is split around each address that starts with a scheme
// (http://, https://, ftp://, mailto:) or with "www.". Runs that are links
// already stay as they are.
void MarkWebAddresses(RichDocument& document);

}  // namespace documents
