#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// The two stored forms of a card that holds this plain text and nothing
// else, made without an editor: txt as the editor reports its text (every
// line break, CR LF, lone CR or lone LF, becomes CR LF; CR CR LF, the mark
// of a wrapped line, a space) and rtf in the
// editor's default character format, which opens in the editor as exactly
// that text. Takes a few copies of the text where the editor would take
// hundreds of bytes per character.
void PlainTextCardForms(const kiln::qstd::QString& text, kiln::qstd::QString& txt, kiln::qstd::QBuffer& rtf);
