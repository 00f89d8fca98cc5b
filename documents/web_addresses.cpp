#include "documents/web_addresses.h"

#include <cwchar>
#include <cwctype>
#include <utility>

namespace documents {

namespace {

const wchar_t* const kStarts[] = {L"http://", L"https://", L"ftp://", L"mailto:", L"www."};

bool StartsAddress(const std::wstring& text, size_t at) {
    if (at > 0 && (std::iswalnum(text[at - 1]) || text[at - 1] == L'/' || text[at - 1] == L'.')) return false;
    for (const wchar_t* start : kStarts) {
        const size_t length = std::wcslen(start);
        if (text.size() - at > length && _wcsnicmp(text.c_str() + at, start, length) == 0) return true;
    }
    return false;
}

size_t EndOfAddress(const std::wstring& text, size_t at) {
    size_t end = at;
    while (end < text.size() && !std::iswspace(text[end]) && text[end] != L'<' && text[end] != L'>' &&
           text[end] != L'"') {
        ++end;
    }
    // Punctuation that ends a sentence is not part of the address.
    while (end > at && std::wcschr(L".,;:!?)'", text[end - 1])) --end;
    return end;
}

}  // namespace

void MarkWebAddresses(RichDocument& document) {
    for (RichParagraph& paragraph : document.paragraphs) {
        std::vector<RichRun> runs;
        for (RichRun& run : paragraph.runs) {
            if (run.link >= 0 || run.picture >= 0) {
                runs.push_back(std::move(run));
                continue;
            }
            size_t done = 0;
            for (size_t at = 0; at < run.text.size(); ++at) {
                if (!StartsAddress(run.text, at)) continue;
                const size_t end = EndOfAddress(run.text, at);
                std::wstring address = run.text.substr(at, end - at);
                if (_wcsnicmp(address.c_str(), L"www.", 4) == 0) address.insert(0, L"http://");
                if (at > done) {
                    RichRun before = run;
                    before.text = run.text.substr(done, at - done);
                    runs.push_back(std::move(before));
                }
                RichRun link = run;
                link.text = run.text.substr(at, end - at);
                document.links.push_back(std::move(address));
                link.link = static_cast<int>(document.links.size()) - 1;
                runs.push_back(std::move(link));
                done = end;
                at = end - 1;
            }
            if (done == 0) {
                runs.push_back(std::move(run));
            } else if (done < run.text.size()) {
                run.text.erase(0, done);
                runs.push_back(std::move(run));
            }
        }
        paragraph.runs = std::move(runs);
    }
}

}  // namespace documents
