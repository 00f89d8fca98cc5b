#include "app/welcome/welcome_words.h"

#include <windows.h>

#include <string>

using kiln::qstd::QString;

namespace {

struct Entity {
    const char* name;
    char text;
};

const Entity kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''},
                            {"&nbsp;", ' '}};

// The text between start and end with its tags dropped, white space folded
// and entities decoded.
QString PlainText(const std::string& html, size_t start, size_t end) {
    std::string text;
    bool space = false;
    for (size_t i = start; i < end; ++i) {
        const char c = html[i];
        if (c == '<') {
            const size_t close = html.find('>', i);
            if (close == std::string::npos || close >= end) break;
            i = close;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = !text.empty();
            continue;
        }
        if (space) text += ' ';
        space = false;
        bool decoded = false;
        if (c == '&') {
            for (const Entity& entity : kEntities) {
                if (html.compare(i, std::char_traits<char>::length(entity.name), entity.name) == 0) {
                    text += entity.text;
                    i += std::char_traits<char>::length(entity.name) - 1;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) text += c;
    }
    QString wide;
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (count > 0) {
        std::wstring buffer(static_cast<size_t>(count), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &buffer[0], count);
        wide = buffer.c_str();
    }
    return wide;
}

// The text of the first element opened by `open` at or after `from` and
// closed by `close`; npos in `next` when there is none.
QString ElementText(const std::string& html, const char* open, const char* close, size_t from, size_t& next) {
    const size_t start = html.find(open, from);
    if (start == std::string::npos) {
        next = std::string::npos;
        return QString();
    }
    const size_t content = html.find('>', start);
    const size_t end = content == std::string::npos ? std::string::npos : html.find(close, content);
    if (end == std::string::npos) {
        next = std::string::npos;
        return QString();
    }
    next = end + std::char_traits<char>::length(close);
    return PlainText(html, content + 1, end);
}

}  // namespace

bool ReadWelcomeWords(const char* html, size_t length, WelcomeWords& words) {
    const std::string page(html, length);
    size_t next = 0;
    words.heading = ElementText(page, "<h2", "</h2>", page.find("id=\"navigation\""), next);
    words.newDatabase = ElementText(page, "<a href=\"app:NewDatabase\"", "</a>", 0, next);
    words.openDatabase = ElementText(page, "<a href=\"app:OpenDatabase\"", "</a>", 0, next);
    words.title = ElementText(page, "<h1", "</h1>", 0, next);
    words.description = QString();
    for (size_t at = next; at != std::string::npos;) {
        const size_t start = page.find("<p", at);
        const size_t end = start == std::string::npos ? std::string::npos : page.find("</p>", start);
        if (end == std::string::npos) break;
        if (page.find("<a ", start) > end) {
            if (!words.description.IsEmpty()) words.description.Append(L"\r\n\r\n");
            words.description.Append(PlainText(page, page.find('>', start) + 1, end).c_str());
        }
        at = end + 4;
    }
    return !words.title.IsEmpty() && !words.heading.IsEmpty() && !words.newDatabase.IsEmpty() &&
           !words.openDatabase.IsEmpty();
}
