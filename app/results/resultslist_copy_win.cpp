// "コピー(&C)": the selected rows on the clipboard, in the lines of the
// results file, as code page 932 text and as UTF-16 text.
#include "results/resultslist_win.h"

#include <cstring>
#include <new>

#include "ui/msgbox_win.h"

namespace lex {
namespace {

// The code page of every row's text.
constexpr UINT kRowCodePage = 932;

// A movable block for the clipboard holding `bytes` bytes; null when memory
// runs out.
HGLOBAL NewBlock(size_t bytes)
{
    return GlobalAlloc(GMEM_MOVEABLE, bytes);
}

// `text` and its terminating NUL in a block of its own.
HGLOBAL AnsiBlock(const std::string &text)
{
    HGLOBAL block = NewBlock(text.size() + 1);
    if (!block)
        return nullptr;
    char *out = static_cast<char *>(GlobalLock(block));
    std::memcpy(out, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    return block;
}

// `text` read in code page 932 as UTF-16, with its terminating NUL.  No
// byte of code page 932 text gives more than one UTF-16 unit, so the block
// is sized from the bytes and the text converted in one pass.
HGLOBAL WideBlock(const std::string &text)
{
    HGLOBAL block = NewBlock((text.size() + 1) * sizeof(wchar_t));
    if (!block)
        return nullptr;
    wchar_t *out = static_cast<wchar_t *>(GlobalLock(block));
    const int size = static_cast<int>(text.size());
    const int length = size ? MultiByteToWideChar(kRowCodePage, 0, text.data(), size, out, size) : 0;
    out[length > 0 ? length : 0] = L'\0';
    GlobalUnlock(block);
    if (size && length <= 0) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

} // namespace

bool ResultsList::Copy(HWND owner, bool textOnly)
{
    if (!HasSelection())
        return false;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    HGLOBAL ansi = nullptr, wide = nullptr;
    try {
        std::string text = rows_.ResultsText(textOnly, true);
        // CR LF stands between the lines, not after the last one.
        text.resize(text.size() - 2);
        ansi = AnsiBlock(text);
        wide = ansi ? WideBlock(text) : nullptr;
    } catch (const std::bad_alloc &) {
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    if (!ansi || !wide) {
        if (ansi)
            GlobalFree(ansi);
        ReportOutOfMemory();
        return false;
    }
    // The clipboard belongs to the window that owns it now; it takes the
    // blocks once they are set.
    bool done = false;
    if (OpenClipboard(owner)) {
        if (EmptyClipboard() && SetClipboardData(CF_TEXT, ansi)) {
            ansi = nullptr;
            if (SetClipboardData(CF_UNICODETEXT, wide)) {
                wide = nullptr;
                done = true;
            }
        }
        CloseClipboard();
    }
    if (ansi)
        GlobalFree(ansi);
    if (wide)
        GlobalFree(wide);
    if (!done)
        ReportError("クリップボードにコピーできません");
    return done;
}

} // namespace lex
