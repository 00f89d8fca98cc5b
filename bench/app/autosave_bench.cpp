// Typing into cards of 10 KB, 1 MB and 5 MB of text while the pages save
// themselves: how long one automatic save keeps the window's thread from its
// messages (streaming the page out of the editor, then the write), the
// longest and the median over a round of keys.
#include <windows.h>
#include <ole2.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window/main_window.h"
#include "bench_clock.h"
#include "bench_prompts.h"
#include "documents/plain_text_rtf.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "window/display_scale.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace {

const int kSaves = 12;

QString TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return QString(folder) + name;
}

// One card holding `bytes` of text in lines of words.
CardId MakeCard(const QString& path, size_t bytes) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path);
    std::wstring text;
    text.reserve(bytes + 80);
    for (unsigned line = 0; text.size() < bytes; ++line) {
        text += L"Line " + std::to_wstring(line) + L" of the card, words that fill it up to its size.\r\n";
    }
    QString txt;
    QBuffer rtf;
    PlainTextCardForms(QString(text.c_str()), txt, rtf);
    return store::addCard(database, 0, L"Big card", txt, rtf);
}

void Round(size_t bytes) {
    const QString path = TempFile(L"vorlen-autosave-bench.data");
    const QString settings = TempFile(L"vorlen-autosave-bench.config");
    const CardId card = MakeCard(path, bytes);
    BenchPrompts prompts;
    MainWindow window(prompts, path, settings);
    window.Create(nullptr, 0, 0);
    ShowWindow(window.GetHandle(), SW_SHOW);
    window.GetCardTree().SelectItem(window.RevealCard(card));
    const HWND editor = window.GetTabs().GetActiveEditor()->GetEditor().GetHandle();

    std::vector<double> saves;
    std::vector<double> streams;
    for (int i = 0; i < kSaves; ++i) {
        SendMessageW(editor, EM_SETSEL, -1, -1);
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed "));
        // The stream alone: what no other thread can take over.
        QBuffer rtf;
        double start = secondsNow();
        window.GetTabs().GetActiveEditor()->GetRtf(rtf);
        streams.push_back(secondsNow() - start);
        start = secondsNow();
        window.SaveEverything();
        saves.push_back(secondsNow() - start);
    }
    std::sort(saves.begin(), saves.end());
    std::sort(streams.begin(), streams.end());
    std::printf("%8zu KB  one save: median %7.1f ms, longest %7.1f ms; streaming the page out: median %7.1f ms\n",
                bytes / 1024, saves[saves.size() / 2] * 1000, saves.back() * 1000, streams[streams.size() / 2] * 1000);
    std::fflush(stdout);
    DestroyWindow(window.GetHandle());
    DeleteFileW(path.c_str());
    DeleteFileW(settings.c_str());
}

}  // namespace

int wmain() {
    OleInitialize(nullptr);
    scaleX = scaleY = 1.0;
    std::printf("Automatic save of one card while typing (%d saves each)\n", kSaves);
    for (size_t bytes : {size_t(10) * 1024, size_t(1024) * 1024, size_t(5) * 1024 * 1024}) Round(bytes);
    OleUninitialize();
    return 0;
}
