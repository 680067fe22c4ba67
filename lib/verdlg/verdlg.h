// The texts of the version dialog, independent of the platform: the list of
// the suite's component files with their versions, the product line, and
// the support mail link.
#pragma once

#include "sysinfo/messages.h"

#include <cstddef>
#include <string>

namespace loom {

// The library's messages that the version dialog shows.
enum VerDlgMessage : unsigned {
    kMsgVerDlgTitle = 1,       // "%sのバージョン情報"
    kMsgNoMailer = 2,          // the mail program cannot be started
    kMsgComponents = 3,        // "構成ファイル情報:\r\n"
    kMsgNoVersion = 9,         // a component without a version
    kMsgComponentMissing = 10, // a component found nowhere
    kMsgMailLink = 21,         // the mailto link, "%s" for the product
};

// One file of the suite: the name as the list shows it (padded with blanks
// so that the tabs line up), the file to look for, and whether its line is
// left out when the file is found nowhere.
struct Component {
    const char *label;
    const char *file;
    bool optional;
};
constexpr Component kComponents[] = {
    {"loomlib.dll  ", "loomlib.dll", false},
    {"comctl32.dll ", "comctl32.dll", false},
    {"shell32.dll  ", "shell32.dll", false},
    {"urlmon.dll   ", "urlmon.dll", false},
    {"cabinet.dll  ", "cabinet.dll", true},
    {"uxtheme.dll  ", "uxtheme.dll", true},
};

// A component's version text: its FileVersion, message 9 when it has none,
// or message 10 when the file is found nowhere.
using VersionFn = std::string (*)(const char *file, void *context);

// Writes the component list into `buffer` with the report's bounded append:
// the suite's display name and a line break, message 3, a line per
// component ("label<TAB>version", lines after the first starting with
// CR LF), and two line breaks.  Where a piece does not fit, the list ends
// before it.  Returns 1 when all of it fitted, else 0.
int BuildComponentList(char *buffer, int capacity, const std::string &displayName, TextFn text,
                       VersionFn version, void *context);

// A text field of the caller's record: up to its terminator, but never past
// its last byte but one, so an unterminated field is not read beyond.
std::string FieldText(const char *field, std::size_t width);

// "Loomkit\n<product>  Version <version>".
std::string ProductLine(const std::string &product, const std::string &version);

// The support mail link: message 21 filled with the product name, then the
// text, URL-encoded.
std::string MailLink(const char *linkFormat, const std::string &product, const std::string &text);

} // namespace loom
