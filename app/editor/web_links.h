#pragma once

#include "core/qstring.h"

enum class WebSearchEngine { Google, Bing };

// The address of a web search for query. The query is percent-encoded as
// UTF-8, so '&', '#', '+' and blanks search for themselves.
kiln::qstd::QString WebSearchAddress(WebSearchEngine engine, const kiln::qstd::QString& query);

// The address the shell may open for a link clicked in a card, or an empty
// string. Only web and mail links are opened (http, https, ftp, mailto; a
// bare "www." address is taken as http): a card that came from someone
// else's file must not be able to start a program or open a local file.
kiln::qstd::QString ShellAddressOfLink(const kiln::qstd::QString& link);
