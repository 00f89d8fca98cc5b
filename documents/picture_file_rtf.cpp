#include "documents/picture_file_rtf.h"

#include "documents/picture_rtf.h"
#include "documents/text_file.h"
#include "window/picture_file.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace documents {

bool ReadPictureFileGroup(const QString& path, QBuffer& group) {
    QBuffer bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    if (AppendPictureGroup(bytes.GetData(), bytes.GetCount(), group)) return true;
    QBuffer png;
    return EncodePictureFileAsPng(path, png) && AppendPictureGroup(png.GetData(), png.GetCount(), group);
}

}  // namespace documents
