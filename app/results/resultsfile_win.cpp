// The results file and the CSV file: the save dialog with its two types,
// the name's extension forced to the type's, the question before an
// existing file is replaced, and one write of all rows shown into a file
// that replaces an existing one only once it is whole.
#include "results/resultslist_win.h"

#include <new>
#include <vector>

#include "results/csvfile.h"
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

// Whether `path` names an existing file (not a folder): saving there
// replaces it.
bool FileExists(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

const char ResultsList::kSaveTitle[] = "検索結果の保存";

std::string FullPathOf(const std::string &path)
{
    std::vector<char> full(kMaxSaveName, '\0');
    const DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length == 0 || length >= full.size() ? path : std::string(full.data(), length);
}

void ResultsList::SetSaveDialogHook(SaveDialogHook hook)
{
    SaveHook() = std::move(hook);
}

void ResultsList::Save(HWND owner, bool textOnly, const std::string &sourceFile)
{
    const std::string source = sourceFile.empty() ? sourceFile : FullPathOf(sourceFile);
    // The dialog fails, as if cancelled, when the chosen name does not fit
    // its buffer.  A name of MAX_PATH characters takes up to twice as many
    // bytes in a double-byte code page, so the buffer holds the longest name
    // the system has at all.
    std::vector<char> name(kMaxSaveName, '\0');
    saveName_.copy(name.data(), name.size() - 1);  // the name chosen last time, offered again
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "テキストファイル\0*.txt\0CSV (UTF-8) (*.csv)\0*.csv\0";
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = kSaveTitle;
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    for (;;) {
        ofn.nFilterIndex = saveType_;  // the type chosen last time
        BOOL chosen = SaveHook() ? SaveHook()(ofn) : GetSaveFileNameA(&ofn);
        if (!chosen)
            return;
        saveName_ = name.data();
        saveType_ = ofn.nFilterIndex == kCsvType ? kCsvType : kTextType;
        // The text type's name always ends in ".txt", the CSV type's in ".csv".
        const bool csv = saveType_ == kCsvType;
        const std::string path = ForceExtension(saveName_, csv ? ".csv" : ".txt", loom::SystemLeadByte);
        // The rows would be all that is left of the file they came from.
        if (!source.empty() && SameFile(path.c_str(), source.c_str())) {
            ReportError("抽出元のファイル " + path + " には保存できません");
            return;
        }
        // The name written may not be the one typed, so the question is
        // asked here, for the file that would be lost; "いいえ" goes back to
        // the dialog.
        if (FileExists(path) &&
            ShowMessageBox(owner, path + " は既に存在します。\r\n上書きしますか?", kSaveTitle,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            continue;
        if (csv)
            SaveCsvTo(path);
        else
            SaveTo(path, textOnly);
        return;
    }
}

bool ResultsList::SaveTo(const std::string &path, bool textOnly)
{
    return WriteOut(path, [&] { return rows_.ResultsText(textOnly); });
}

bool ResultsList::SaveCsvTo(const std::string &path)
{
    return WriteOut(path, [&] { return RowsCsv(rows_); });
}

bool ResultsList::WriteOut(const std::string &path, const std::function<std::string()> &build)
{
    // All lines are built before any file is touched, so a failure here
    // leaves an existing file as it was; so does a failure while writing.
    std::string text;
    try {
        text = build();
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
