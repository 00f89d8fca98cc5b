#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/qbuffer.h"

namespace documents {

// The pictures of a card kept out of the editor, which shows each as a
// protected placeholder, "[picture N]", and gives them back byte for byte
// when the card is saved. Editor controls differ in which pictures they show
// and none writes a picture back as it read it; kept aside, a picture
// survives any number of saves on any system.
class RtfPictures {
public:
    // Empties the list: a new card is being loaded.
    void Clear() { groups.clear(); }
    size_t Count() const { return groups.size(); }
    const std::string& Group(size_t index) const { return groups[index]; }

    // The document with every picture replaced by its placeholder, appended
    // to out. A picture is a group that begins \pict, \object, \shppict or
    // \nonshppict; a \shppict group and the \nonshppict group written right
    // after it (one picture for two kinds of reader) are kept as one.
    // Unterminated groups are left in place.
    void SetAside(const unsigned char* rtf, size_t count, kiln::qstd::QBuffer& out);
    // Keeps one more picture (a whole group, as above) and answers the
    // placeholder document fragment that stands for it.
    std::string Add(std::string group);
    // The document as the editor wrote it, with every protected placeholder
    // still present replaced by its picture; appended to out.
    void PutBack(const unsigned char* rtf, size_t count, kiln::qstd::QBuffer& out) const;

    // The placeholder's text for the picture number (1 for the first).
    static std::string PlaceholderText(size_t number);

private:
    std::vector<std::string> groups;
};

}  // namespace documents
