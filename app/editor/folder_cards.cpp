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

// What a folder holds of use, listed before anything is read: its readable
// files and its subfolders in name order, each subfolder's listing in folders.
struct Listing {
    struct Item {
        std::wstring name;
        int folder;  // the index in folders; -1 for a file
    };
    std::wstring path;
    std::vector<Item> items;
    std::vector<Listing> folders;
};

Listing ListTree(const std::wstring& folder, unsigned& files) {
    Listing listing;
    listing.path = folder;
    for (const Entry& entry : ListFolder(folder)) {
        if (entry.folder) {
            listing.items.push_back(Listing::Item{entry.name, static_cast<int>(listing.folders.size())});
            listing.folders.push_back(ListTree(folder + L"\\" + entry.name, files));
        } else if (Readable(KindOfFile(entry.name.c_str()))) {
            listing.items.push_back(Listing::Item{entry.name, -1});
            ++files;
        }
    }
    return listing;
}

class FolderReader {
public:
    FolderReader(std::vector<QString>& skipped, unsigned total,
                 const std::function<bool(unsigned read, unsigned total)>& keepGoing)
        : skipped(skipped), total(total), keepGoing(keepGoing) {}

    bool Read(const Listing& listing, NewCardBranch& branch) {
        branch.title = LastName(listing.path).c_str();
        for (const Listing::Item& item : listing.items) {
            if (item.folder >= 0) {
                NewCardBranch child;
                if (!Read(listing.folders[static_cast<size_t>(item.folder)], child)) return false;
                branch.children.push_back(std::move(child));
                continue;
            }
            if (!keepGoing(done, total)) return false;
            ++done;
            const std::wstring path = listing.path + L"\\" + item.name;
            CardContent content;
            try {
                ReadCardContentFromFile(path.size() < MAX_PATH ? path.c_str() : LongPath(path).c_str(), content);
            } catch (const QError& error) {
                skipped.push_back(QString(path.c_str()) + L": " + error.message);
                continue;
            }
            NewCardBranch card;
            card.title = item.name.c_str();
            card.txt = content.txt;
            card.rtf = content.rtf;
            branch.children.push_back(std::move(card));
        }
        return true;
    }

private:
    std::vector<QString>& skipped;
    const unsigned total;
    const std::function<bool(unsigned read, unsigned total)>& keepGoing;
    unsigned done = 0;
};

}  // namespace

bool ReadFolderCards(const QString& folder, NewCardBranch& branch, std::vector<QString>& skipped,
                     const std::function<bool(unsigned read, unsigned total)>& keepGoing) {
    branch = NewCardBranch();
    skipped.clear();
    unsigned total = 0;
    const Listing listing = ListTree(folder.c_str(), total);
    return FolderReader(skipped, total, keepGoing).Read(listing, branch);
}
