// The results file: the save dialog, the name's extension forced to
// ".txt", and one write of all rows into a file that replaces an existing
// one only once it is whole.
#include "results/resultslist_win.h"

#include <new>
#include <vector>

#include "results/outputfile.h"
#include "results/resultsfile.h"
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

// The full path of `path` as the current folder gives it now (the save
// dialog may change the current folder); `path` itself when that fails.
std::string FullPath(const std::string &path)
{
    std::vector<char> full(kMaxSaveName, '\0');
    const DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length == 0 || length >= full.size() ? path : std::string(full.data(), length);
}

} // namespace

void ResultsList::SetSaveDialogHook(SaveDialogHook hook)
{
    SaveHook() = std::move(hook);
}

void ResultsList::Save(HWND owner, bool textOnly, const std::string &sourceFile)
{
    const std::string source = sourceFile.empty() ? sourceFile : FullPath(sourceFile);
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
    const std::string path = ForceTxtExtension(saveName_, loom::SystemLeadByte);
    // The rows would be all that is left of the file they came from.
    if (!source.empty() && SameFile(path.c_str(), source.c_str())) {
        ReportError("抽出元のファイル " + path + " には保存できません");
        return;
    }
    SaveTo(path, textOnly);
}

bool ResultsList::SaveTo(const std::string &path, bool textOnly)
{
    // All lines are built before any file is touched, so a failure here
    // leaves an existing file as it was; so does a failure while writing.
    std::string text;
    try {
        text = rows_.ResultsText(textOnly);
    } catch (const std::bad_alloc &) {
        ReportOutOfMemory();
        return false;
    }
    OutputFile file;
    OutputError error = file.Open(path.c_str());
    if (error == OutputError::None)
        error = file.Write(text.data(), text.size());
    if (error == OutputError::None)
        error = file.Commit();
    switch (error) {
    case OutputError::None:
        return true;
    case OutputError::CannotCreate: {
        std::string message = "ファイル %s を作成できません";
        message.replace(message.find("%s"), 2, path);
        ReportError(message);
        return false;
    }
    case OutputError::WriteFailed:
        break;
    }
    ReportError("ストリームへの書き込みエラー");
    return false;
}

} // namespace lex
