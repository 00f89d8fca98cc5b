#include "app/editor/folder_cards.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "app/editor/editor_card_content.h"
#include "core/qerror.h"
#include "documents/file_kinds.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

struct Entry {
    std::wstring name;
    bool folder;
};

// The long-path form lets paths beyond MAX_PATH through the file functions.
std::wstring LongPath(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::vector<Entry> ListFolder(const std::wstring& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((LongPath(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        throw QError::FromLastError();
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        // A link to a folder may lead back above itself.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        entries.push_back(Entry{name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE);
        return order == CSTR_EQUAL ? a.name < b.name : order == CSTR_LESS_THAN;
    });
    return entries;
}

bool Readable(FileKind kind) {
    return kind == FileKind::Rtf || kind == FileKind::Text || kind == FileKind::Office || kind == FileKind::Picture;
}

std::wstring LastName(const std::wstring& folder) {
    std::wstring trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
    const size_t slash = trimmed.find_last_of(L"\\/");
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

bool ReadInto(const std::wstring& folder, NewCardBranch& branch, std::vector<QString>& skipped,
              const std::function<bool()>& keepGoing) {
    branch.title = LastName(folder).c_str();
    for (const Entry& entry : ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + entry.name;
        if (entry.folder) {
            NewCardBranch child;
            if (!ReadInto(path, child, skipped, keepGoing)) return false;
            branch.children.push_back(std::move(child));
            continue;
        }
        if (!Readable(KindOfFile(entry.name.c_str()))) continue;
        if (!keepGoing()) return false;
        CardContent content;
        try {
            ReadCardContentFromFile(path.size() < MAX_PATH ? path.c_str() : LongPath(path).c_str(), content);
        } catch (const QError& error) {
            skipped.push_back(QString(path.c_str()) + L": " + error.message);
            continue;
        }
        NewCardBranch card;
        card.title = entry.name.c_str();
        card.txt = content.txt;
        card.rtf = content.rtf;
        branch.children.push_back(std::move(card));
    }
    return true;
}

}  // namespace

bool ReadFolderCards(const QString& folder, NewCardBranch& branch, std::vector<QString>& skipped,
                     const std::function<bool()>& keepGoing) {
    branch = NewCardBranch();
    skipped.clear();
    return ReadInto(folder.c_str(), branch, skipped, keepGoing);
}
