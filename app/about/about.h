// The texts of the version dialog TAboutDlg that do not need Windows: the
// component lines above the system report, and the support mail link.
// Literals are in the build's execution character set (Shift-JIS in the
// Windows builds).
#pragma once

#include <cstddef>
#include <string>

namespace lex {

// The vendor's support address, the same as the library's own mail link.
extern const char kSupportAddress[];

// The text of SysInfo: "構成ファイル情報:", the program's and the library's
// file versions (each after its file name and a TAB), an empty line, then
// the report with its own line breaks.  Lines are joined by CR LF.
std::string AboutSysInfoText(const std::string &exeVersion, const std::string &libVersion,
                             const std::string &report);

// The bytes to set aside for URL-encoding a text of `length` bytes: every
// byte may become three, plus the terminating NUL, and never less than the
// 65,535 bytes the dialog has always used.
std::size_t MailBufferSize(std::size_t length);

// The mailto link of the mail button, for the dialog's text once encoded:
// the support address, the subject, the body's placeholder and heading, a
// rule of 48 "=", and the text.
std::string SupportMailLink(const std::string &encodedText);

} // namespace lex
