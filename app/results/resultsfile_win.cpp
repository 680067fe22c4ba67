// The results file: the save dialog, the name's extension forced to
// ".txt", and one write of all rows.
#include "results/resultslist_win.h"

#include <new>
#include <vector>

#include "results/resultsfile.h"
#include "util/handles_win.h"
#include "util/mbcs.h"
#include "ui/msgbox_win.h"

namespace lex {
namespace {

ResultsList::SaveDialogHook &SaveHook()
{
    static ResultsList::SaveDialogHook hook;
    return hook;
}

// Room for the longest path the system takes: 32,767 characters of at most
// two bytes each, and the NUL.
constexpr size_t kMaxSaveName = 2 * 32767 + 1;

} // namespace

void ResultsList::SetSaveDialogHook(SaveDialogHook hook)
{
    SaveHook() = std::move(hook);
}

void ResultsList::Save(HWND owner, bool textOnly)
{
    // The dialog fails, as if cancelled, when the chosen name does not fit
    // its buffer.  A name of MAX_PATH characters takes up to twice as many
    // bytes in a double-byte code page, so the buffer holds the longest name
    // the system has at all.
    std::vector<char> name(kMaxSaveName, '\0');
    saveName_.copy(name.data(), name.size() - 1);  // the name chosen last time, offered again
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "テキストファイル\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = "検索結果の保存";
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    BOOL chosen = SaveHook() ? SaveHook()(ofn) : GetSaveFileNameA(&ofn);
    if (!chosen)
        return;
    saveName_ = name.data();
    SaveTo(ForceTxtExtension(saveName_, loom::SystemLeadByte), textOnly);
}

bool ResultsList::SaveTo(const std::string &path, bool textOnly)
{
    // All lines are built before the file is touched, so a failure here
    // leaves an existing file as it was.
    std::string text;
    try {
        text = rows_.ResultsText(textOnly);
    } catch (const std::bad_alloc &) {
        ReportOutOfMemory();
        return false;
    }
    loom::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) {
        std::string message = "ファイル %s を作成できません";
        message.replace(message.find("%s"), 2, path);
        ReportError(message);
        return false;
    }
    DWORD written = 0;
    bool ok = text.size() <= MAXDWORD &&
              WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    if (!ok) {
        ReportError("ストリームへの書き込みエラー");
        return false;
    }
    return true;
}

} // namespace lex
