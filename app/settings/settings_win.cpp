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

// An integer within `range`; anything else counts as missing.
bool ReadInRange(HKEY key, const char *name, const IntRange &range, int *value)
{
    int v;
    if (!ReadInt(key, name, &v) || !range.Contains(v))
        return false;
    *value = v;
    return true;
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
    for (const StoredFlag &f : kStoredFlags) {
        ReadFlag(key.get(), f.name, &(s.*f.field));
        if (f.field == &ExtractionSettings::Debug && s.Debug && onDebug)
            onDebug();
    }
    for (const StoredInt &i : kStoredInts)
        ReadInt(key.get(), i.name, &(s.*i.field));
    // A value typed into the registry by hand may lie outside its range.
    ClampToRanges(s);
}

void SaveSettings(const ExtractionSettings &s)
{
    loom::RegKey key;
    if (!CreateKey(key))
        return;
    // Debug stays as the user put it into the registry.
    for (const StoredFlag &f : kStoredFlags)
        if (f.field != &ExtractionSettings::Debug)
            WriteInt(key.get(), f.name, s.*f.field);
    for (const StoredInt &i : kStoredInts)
        WriteInt(key.get(), i.name, s.*i.field);
}

namespace {

// Coordinates and sizes the system can hold; the defaults are not used.
constexpr IntRange kCoordinateRange = {-32768, 32767, 0};
constexpr IntRange kWindowSizeRange = {1, 32767, 0};
constexpr IntRange kColumnWidthRange = {0, 32767, 0};

const char *const kPlaceNames[] = {"WindowLeft", "WindowTop", "WindowWidth"};
const char kHeightName[] = "WindowHeight";
const char kMaximizedName[] = "WindowMaximized";
const char *const kColumnNames[WindowLayout::kColumns] = {"ColumnWidth1", "ColumnWidth2",
                                                          "ColumnWidth3"};

} // namespace

WindowLayout LoadWindowLayout()
{
    WindowLayout layout;
    loom::RegKey key;
    if (!CreateKey(key))
        return layout;
    int place[3];
    const IntRange *ranges[3] = {&kCoordinateRange, &kCoordinateRange, &kWindowSizeRange};
    layout.hasPlace = true;
    for (int i = 0; i < 3; ++i)
        layout.hasPlace = ReadInRange(key.get(), kPlaceNames[i], *ranges[i], &place[i]) &&
                          layout.hasPlace;
    if (layout.hasPlace) {
        layout.left = place[0];
        layout.top = place[1];
        layout.width = place[2];
    }
    ReadInRange(key.get(), kHeightName, kWindowSizeRange, &layout.listHeight);
    ReadFlag(key.get(), kMaximizedName, &layout.maximized);
    for (int i = 0; i < WindowLayout::kColumns; ++i)
        ReadInRange(key.get(), kColumnNames[i], kColumnWidthRange, &layout.columnWidths[i]);
    return layout;
}

// A height that is not known any more goes, so that a damaged one is not
// read again.
void SaveWindowLayout(const WindowLayout &layout)
{
    loom::RegKey key;
    if (!CreateKey(key))
        return;
    if (layout.hasPlace) {
        const int place[3] = {layout.left, layout.top, layout.width};
        for (int i = 0; i < 3; ++i)
            WriteInt(key.get(), kPlaceNames[i], place[i]);
    }
    if (layout.listHeight > 0)
        WriteInt(key.get(), kHeightName, layout.listHeight);
    else
        RegDeleteValueA(key.get(), kHeightName);
    WriteInt(key.get(), kMaximizedName, layout.maximized);
    for (int i = 0; i < WindowLayout::kColumns; ++i)
        if (layout.columnWidths[i] != WindowLayout::kNoWidth)
            WriteInt(key.get(), kColumnNames[i], layout.columnWidths[i]);
}

} // namespace lex
