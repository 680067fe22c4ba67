// The results file: the save dialog, the ".txt" rule and one write of all
// rows.
#include "Main/resultslist_win.h"

#include <new>

#include "Main/resultsfile.h"
#include "util/handles_win.h"
#include "Win/msgbox_win.h"

namespace lex {
namespace {

// Saving builds the whole file in memory first; when that runs out the
// command is abandoned with the program's error box.
const char kOutOfMemory[] = "メモリが不足しています";

ResultsList::SaveDialogHook &SaveHook()
{
    static ResultsList::SaveDialogHook hook;
    return hook;
}

} // namespace

void ResultsList::SetSaveDialogHook(SaveDialogHook hook)
{
    SaveHook() = std::move(hook);
}

void ResultsList::Save(HWND owner, bool textOnly)
{
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "テキストファイル\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileName_;  // the name chosen last time, offered again
    ofn.nMaxFile = sizeof fileName_;
    ofn.lpstrTitle = "検索結果の保存";
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    BOOL chosen = SaveHook() ? SaveHook()(ofn) : GetSaveFileNameA(&ofn);
    if (!chosen)
        return;
    SaveTo(ForceTxtExtension(fileName_), textOnly);
}

bool ResultsList::SaveTo(const std::string &path, bool textOnly)
{
    // All lines are built before the file is touched, so a failure here
    // leaves an existing file as it was.
    std::string text;
    try {
        text = rows_.ResultsText(textOnly);
    } catch (const std::bad_alloc &) {
        ReportError(kOutOfMemory);
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
