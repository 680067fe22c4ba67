// The results list's find dialog and its results file: the modeless find
// dialog that walks the text column from the focused row, and the save
// dialog with the ".txt" rule and one write of all rows.
#include "Main/ResultsList_win.h"

#include <new>

#include "Main/msgbox_win.h"

namespace lex {
namespace {

constexpr size_t kNoRow = SIZE_MAX;

// Saving builds the whole file in memory first; when that runs out the
// command is abandoned with the program's error box.
const char kOutOfMemory[] = "メモリが不足しています";

ResultsList::SaveDialogHook &SaveHook()
{
    static ResultsList::SaveDialogHook hook;
    return hook;
}

// Owns a file handle for the length of one save.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle()
    {
        if (valid())
            CloseHandle(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

} // namespace

void ResultsList::ShowFind(HWND owner)
{
    if (findDlg_ && IsWindow(findDlg_)) {
        ShowWindow(findDlg_, SW_SHOWNORMAL);
        SetForegroundWindow(findDlg_);
        BringWindowToTop(findDlg_);
        return;
    }
    if (find_.lStructSize == 0) {
        // First opening: direction down, match case offered and off.
        find_.lStructSize = sizeof find_;
        find_.Flags = FR_DOWN;
        find_.lpstrFindWhat = findWhat_;
        find_.wFindWhatLen = sizeof findWhat_;
    }
    find_.hwndOwner = owner;
    find_.Flags &= ~(FR_FINDNEXT | FR_DIALOGTERM | FR_REPLACE | FR_REPLACEALL);
    find_.Flags |= FR_HIDEWHOLEWORD;
    findDlg_ = FindTextA(&find_);
}

void ResultsList::OnFindMessage(LPARAM lp)
{
    const auto *request = reinterpret_cast<const FINDREPLACEA *>(lp);
    if (!request)
        return;
    if (request->Flags & FR_DIALOGTERM) {
        if (request == &find_)
            findDlg_ = nullptr;
        return;
    }
    if ((request->Flags & FR_FINDNEXT) && request->lpstrFindWhat)
        FindNext(request->lpstrFindWhat, (request->Flags & FR_DOWN) != 0, (request->Flags & FR_MATCHCASE) != 0);
}

bool ResultsList::IsFindDialogMessage(MSG *msg)
{
    return findDlg_ && IsDialogMessageA(findDlg_, msg);
}

void ResultsList::FindNext(const std::string &what, bool down, bool matchCase)
{
    if (!hwnd_)
        return;
    // Rows of a running scan that the control has not been told about yet
    // are listed before the search, so a hit can always be shown.
    SyncCount();
    size_t hit = rows_.FindNext(FocusedRow(), down, what, matchCase);
    if (hit == kNoRow) {
        ShowInfo(nullptr, "\"" + what + "\" が見つかりません。");
        return;
    }
    rows_.ClearSelection();
    rows_.SetSelected(hit, true);
    SetFocusedRow(hit);
    SendMessageA(hwnd_, LVM_ENSUREVISIBLE, hit, FALSE);
    RedrawRows();
    SetFocus(GetAncestor(hwnd_, GA_ROOT));
    SetFocus(hwnd_);
}

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
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
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
