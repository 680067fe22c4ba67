// Registry layer of the settings record.
#include "settings/settings_win.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/handles_win.h"

namespace lex {

const char kSettingsKey[] = "Software\\Halvek\\Lexprobe";

namespace {

// Opens the key, creating it when it does not exist.
bool CreateKey(loom::RegKey &key)
{
    return RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.out(),
                           nullptr) == ERROR_SUCCESS;
}

// The text of a string value (REG_SZ, or REG_EXPAND_SZ taken as it stands).
// Any other type counts as missing.
bool ReadString(HKEY key, const char *name, std::string *out)
{
    std::vector<char> buf(64);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buf.size());
        LONG rc = RegQueryValueExA(key, name, nullptr, &type,
                                   reinterpret_cast<BYTE *>(buf.data()), &size);
        if (rc == ERROR_MORE_DATA) {
            buf.resize(size + 1);
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        // The stored data need not end in a zero byte.
        out->assign(buf.data(), size);
        out->resize(strnlen(out->c_str(), out->size()));
        return true;
    }
}

bool ReadInt(HKEY key, const char *name, int *value)
{
    std::string text;
    return ReadString(key, name, &text) && ParseInt(text.c_str(), value);
}

void ReadFlag(HKEY key, const char *name, bool *flag)
{
    int v;
    if (ReadInt(key, name, &v))
        *flag = v != 0;
}

void WriteInt(HKEY key, const char *name, int value)
{
    std::string text = std::to_string(value);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

} // namespace

void LoadSettings(ExtractionSettings &s, const std::function<void()> &onDebug)
{
    loom::RegKey key;
    if (!CreateKey(key))
        return;
    HKEY k = key.get();
    ReadFlag(k, "SearchKanji", &s.SearchKanji);
    ReadFlag(k, "SearchWideJapanese", &s.SearchWideJapanese);
    ReadFlag(k, "CheckHalfKana", &s.CheckHalfKana);
    ReadFlag(k, "CheckRecurrence", &s.CheckRecurrence);
    ReadFlag(k, "CheckEnglish", &s.CheckEnglish);
    ReadFlag(k, "CheckInitial", &s.CheckInitial);
    ReadFlag(k, "CheckSeparator", &s.CheckSeparator);
    ReadFlag(k, "SaveOption", &s.SaveOption);
    ReadFlag(k, "Debug", &s.Debug);
    if (s.Debug && onDebug)
        onDebug();
    ReadInt(k, "RecurrenceTime", &s.RecurrenceTime);
    ReadInt(k, "MinExtractStr", &s.MinExtractStr);
}

void SaveSettings(const ExtractionSettings &s)
{
    loom::RegKey key;
    if (!CreateKey(key))
        return;
    HKEY k = key.get();
    WriteInt(k, "SearchKanji", s.SearchKanji);
    WriteInt(k, "SearchWideJapanese", s.SearchWideJapanese);
    WriteInt(k, "CheckHalfKana", s.CheckHalfKana);
    WriteInt(k, "CheckRecurrence", s.CheckRecurrence);
    WriteInt(k, "CheckEnglish", s.CheckEnglish);
    WriteInt(k, "CheckInitial", s.CheckInitial);
    WriteInt(k, "CheckSeparator", s.CheckSeparator);
    WriteInt(k, "SaveOption", s.SaveOption);
    WriteInt(k, "RecurrenceTime", s.RecurrenceTime);
    WriteInt(k, "MinExtractStr", s.MinExtractStr);
}

} // namespace lex
