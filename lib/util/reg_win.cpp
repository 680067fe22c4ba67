// Registry string helpers.
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/loomutil.h"

#include <vector>

namespace {

// Empties the key `subkey` below `root`, keeping the key itself; 1 when it
// could be opened and examined.
int DeleteAllSubKeys(HKEY root, const char *subkey)
{
    loom::RegKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValue = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                         &values, &maxValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    // The maxima count characters; a name in a double-byte code page can
    // take two bytes for each, so the buffer allows for that.
    DWORD longest = maxSubkey > maxValue ? maxSubkey : maxValue;
    std::vector<char> name(2 * std::size_t(longest) + 2);
    // From the highest index down, so that deleting an entry does not move
    // the ones still to come.
    for (DWORD index = subkeys; index-- > 0;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG status =
            RegEnumKeyExA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        if (DeleteAllSubKeys(key.get(), name.data()))
            RegDeleteKeyA(key.get(), name.data());
    }
    for (DWORD index = values; index-- > 0;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG status = RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        RegDeleteValueA(key.get(), name.data());
    }
    return 1;
}

char *ReadString(HKEY root, const char *subkey, const char *name, char *out, DWORD size)
{
    if (size == 0)
        return out;
    out[0] = '\0';
    loom::RegKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return out;
    // The stored type is not examined.  The text is always terminated within
    // the buffer: data that fills it without a NUL loses its last byte, and a
    // value too long for the buffer reads as empty.
    DWORD length = size;
    LONG status = RegQueryValueExA(key.get(), name, nullptr, nullptr,
                                   reinterpret_cast<BYTE *>(out), &length);
    if (status != ERROR_SUCCESS)
        out[0] = '\0';
    else if (length == 0 || out[length - 1] != '\0')
        out[length < size ? length : size - 1] = '\0';
    return out;
}

int WriteString(HKEY root, const char *subkey, const char *name, const char *text)
{
    loom::RegKey key;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS)
        return 0;
    if (text)
        RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       static_cast<DWORD>(lstrlenA(text) + 1));
    else
        RegDeleteValueA(key.get(), name);
    return 1;
}

} // namespace

extern "C" {

char *__cdecl RegReadString(HKEY root, const char *subkey, const char *name, char *out,
                            DWORD size)
{
    if (loom::NullArgument(out))
        return out;
    return loom::CallGuarded(out, [&] { return ReadString(root, subkey, name, out, size); });
}

int __cdecl RegWriteString(HKEY root, const char *subkey, const char *name, const char *text)
{
    // Without a subkey the value would go to the root key itself (the
    // default value of HKEY_CURRENT_USER, say).  A null name is the key's
    // default value, a null text deletes the value: both are meant.
    if (loom::NullArgument(subkey))
        return 0;
    return loom::CallGuarded(0, [&] { return WriteString(root, subkey, name, text); });
}

int __cdecl RegDeleteAllSubKeys(HKEY root, const char *subkey)
{
    // Without a subkey the root key itself would be emptied: all of
    // HKEY_CURRENT_USER, say.
    if (!subkey || !*subkey)
        return 0;
    return loom::CallGuarded(0, [&] { return DeleteAllSubKeys(root, subkey); });
}

} // extern "C"
