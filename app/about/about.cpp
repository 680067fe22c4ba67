// Texts of the version dialog.
#include "about/about.h"

namespace lex {

const char kSupportAddress[] = "support@loomkit.example";

std::string AboutSysInfoText(const std::string &exeVersion, const std::string &libVersion,
                             const std::string &report)
{
    return "構成ファイル情報:\r\n"
           "Lexprobe.exe  \t" + exeVersion + "\r\n"
           "loomlib.dll\t" + libVersion + "\r\n"
           "\r\n" + report;
}

std::size_t MailBufferSize(std::size_t length)
{
    constexpr std::size_t kLeast = 65535;
    const std::size_t needed = 3 * length + 1;
    return needed < kLeast ? kLeast : needed;
}

std::string SupportMailLink(const std::string &encodedText)
{
    // The subject and the body's template stand as they are: Japanese text
    // in the ANSI code page, line breaks already escaped.
    return std::string("mailto:") + kSupportAddress +
           "?subject=Lexprobeの質問&body=(ここに本文を記述します)%0d%0a%0d%0a%0d%0a"
           "システム情報:%0d%0a" +
           std::string(48, '=') + "%0d%0a" + encodedText;
}

} // namespace lex
