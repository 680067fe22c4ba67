// The library's messages for native tests, read from the string table
// script itself (UTF-8), so that the report and naming code are tested
// against the real texts and their printf conversions.
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace testsupport {

// Undoes the escapes the string table uses: \r \n \t \\ \" and a doubled
// quote.
inline std::string UnescapeRc(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

inline const std::map<unsigned, std::string> &LibMessages()
{
    static const std::map<unsigned, std::string> table = [] {
        std::map<unsigned, std::string> t;
        std::ifstream in(LOOM_STRINGS_RC);
        const std::regex entry(R"re(^\s*(\d+),\s*"(.*)"\s*$)re");
        std::string line;
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_match(line, m, entry))
                t[unsigned(std::stoul(m[1]))] = UnescapeRc(m[2]);
        if (t.empty())
            std::abort(); // no string table: every test would be meaningless
        return t;
    }();
    return table;
}

// A loom::TextFn over the real table; a missing message is the empty text,
// as LoadLibText gives it.
inline const char *LibText(unsigned id)
{
    const auto &t = LibMessages();
    auto found = t.find(id);
    return found == t.end() ? "" : found->second.c_str();
}

} // namespace testsupport
