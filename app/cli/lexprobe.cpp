// lexprobe: the string scanner on the command line.
//
//   lexprobe [options] [FILE...]
//
// Writes one line per row (cli/lines.h): offset, TAB, kind, TAB, text in
// the system's encoding, or exactly the program's results file (-R), or
// JSON lines; standard input for "-", or for no FILE when it is not a
// terminal.  Exit status: 0 success, 1 an input file (or an explicitly
// named dictionary) could not be read to its end, 2 bad usage (the output
// file named as an input included), 3 the output could not be written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/lines.h"
#include "loom_version.h"
#include "words/dictionary.h"
#include "base/exepath.h"
#include "scan/scanner.h"
#include "settings/settings.h"
#include "results/outputfile.h"

namespace {

enum Exit { kOk = 0, kInputError = 1, kUsageError = 2, kOutputError = 3 };

int Usage(const std::string &message)
{
    std::fprintf(stderr, "lexprobe: %s\nTry 'lexprobe --help'.\n", message.c_str());
    return kUsageError;
}

// Writes rows as they come into the output that is opened once the first
// input file has been found and opened.  Lines are formatted straight into
// one block of 1 MiB, which goes out in one write when the next line would
// not fit: few system calls, and memory that does not grow with the
// output.  A file named with -o replaces an existing one only once it is
// whole, and only after a run in which every input was read.
class LineWriter : public lex::ScanHost {
public:
    LineWriter(const char *outPath, const lex::LineFormat &format)
        : outPath_(outPath), lines_(format), block_(new char[kBlock])
    {
    }

    // The file whose rows follow, for the file column; null for none.
    void SetFile(const char *name) { lines_.SetFile(name); }

    void ClearRows() override
    {
        if (opened_)
            return;
        opened_ = true;
        if (outPath_)
            error_ = file_.Open(outPath_);
    }
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        const size_t need = lines_.MaxLength(length);
        if (need > kBlock - used_)
            Drain();
        if (need > kBlock) {
            // A line longer than the block is written through one of its own.
            std::unique_ptr<char[]> line(new char[need]);
            char *end = lines_.Put(line.get(), offset, kind, text, length, checked);
            Write(line.get(), static_cast<size_t>(end - line.get()));
            return;
        }
        char *end = lines_.Put(block_.get() + used_, offset, kind, text, length, checked);
        used_ = static_cast<size_t>(end - block_.get());
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    // A broken output ends the scan early.
    bool AbortRequested() override { return error_ != lex::OutputError::None; }
    bool Broken() const { return error_ != lex::OutputError::None; }

    // Writes what is left and, with `commit`, puts a file in its place (an
    // -o file not committed is removed, and an old one stays); the first
    // failure of the whole output.
    lex::OutputError Finish(bool commit)
    {
        Drain();
        if (!opened_ || error_ != lex::OutputError::None)
            return error_;
        if (outPath_) {
            if (commit)
                error_ = file_.Commit();
        } else if (std::fflush(stdout) != 0) {
            error_ = lex::OutputError::WriteFailed;
        }
        return error_;
    }
    std::string ErrorText() const { return file_.ErrorText(); }

private:
    static constexpr size_t kBlock = size_t(1) << 20;

    void Write(const char *data, size_t size)
    {
        if (!opened_ || error_ != lex::OutputError::None || size == 0)
            return;
        if (outPath_)
            error_ = file_.Write(data, size);
        else if (std::fwrite(data, 1, size, stdout) != size)
            error_ = lex::OutputError::WriteFailed;
    }
    void Drain()
    {
        Write(block_.get(), used_);
        used_ = 0;
    }

    const char *outPath_;
    lex::LineFormatter lines_;
    bool opened_ = false;  // a scan has asked for the output
    lex::OutputFile file_;
    lex::OutputError error_ = lex::OutputError::None;
    std::unique_ptr<char[]> block_;
    size_t used_ = 0;
};

// What a run is told: the settings record, and what only the front end
// has.  Its fields are the targets of the option table below.
struct Options : lex::ExtractionSettings {
    bool checkedColumn = false;
    bool help = false;
    bool version = false;
    bool json = false;
    bool resultsLayout = false;
    bool fileNames = false;
    bool fileNamesGiven = false;  // -f or --no-filename was given
    const char *dict = nullptr;
    const char *out = nullptr;
    const char *radix = nullptr;
    const char *encoding = nullptr;
    std::vector<const char *> files;
};

// One option.  A flag takes no value: its name sets the field to `sets`,
// its negated name to the opposite, and either sets `given`.  A number or
// a text takes the next argument, the text after "=" in --name=value, or
// the rest of a short option's argument (-m8).  The help lists the
// letters and the name (not the alias) with `help`, whose "{range}" and
// "{default}" stand for the number's range and default.
struct CliOption {
    char letter;          // -x, or 0
    char letter2;         // a further -y, or 0
    const char *name;     // --name as listed, or nullptr
    const char *alias;    // a further --name, or nullptr
    const char *negated;  // --name that undoes a flag, or nullptr
    bool Options::*flag;
    bool sets;
    bool Options::*given;
    int Options::*number;
    lex::IntRange range;
    const char *Options::*text;
    const char *value;    // what the help calls the value
    const char *needs;    // what a missing value is called
    const char *help;     // lines of help, separated by "\n"
};

constexpr CliOption Flag(char letter, const char *name, const char *alias, const char *negated,
                         bool Options::*field, bool sets, const char *help,
                         bool Options::*given = nullptr)
{
    return {letter,  0,  name,    alias,   negated, field, sets, given,
            nullptr, {}, nullptr, nullptr, nullptr, help};
}

constexpr CliOption Number(char letter, char letter2, const char *name, int Options::*field,
                           const lex::IntRange &range, const char *help)
{
    return {letter, letter2, name, nullptr, nullptr, nullptr, false, nullptr, field, range,
            nullptr, "N", "a value", help};
}

constexpr CliOption Text(char letter, const char *name, const char *alias,
                         const char *Options::*field, const char *value, const char *needs,
                         const char *help)
{
    return {letter, 0,       name,  alias, nullptr, nullptr, false, nullptr, nullptr, {},
            field,  value, needs, help};
}

// In the order of the help.
const CliOption kOptions[] = {
    Number('m', 'n', "min-length", &Options::MinExtractStr, lex::kMinExtractStrRange,
           "minimum length in bytes, {range} (default {default});\n"
           "characters for UTF-8 text and UTF-16 text\n"
           "with Japanese"),
    Number(0, 0, "min-japanese", &Options::MinJapaneseStr, lex::kMinJapaneseStrRange,
           "minimum length in characters of a row with\n"
           "Japanese characters, {range} (default {default})"),
    Flag(0, "search-kanji", nullptr, "no-search-kanji", &Options::SearchKanji, true,
         "take Shift-JIS double-byte characters into ANSI\n"
         "strings (default off; --no-search-kanji)"),
    Flag(0, "no-check-kanji-noise", nullptr, "check-kanji-noise", &Options::CheckKanjiNoise,
         false,
         "keep rows whose Japanese characters read as\n"
         "machine code, whole (default: only the part\n"
         "that reads as Japanese text is kept, the rest\n"
         "read as plain text; --check-kanji-noise)"),
    Flag(0, "search-wide-japanese", nullptr, "no-search-wide-japanese",
         &Options::SearchWideJapanese, true,
         "take Japanese text in UTF-16LE strings into\n"
         "Unicode strings (default off;\n"
         "--no-search-wide-japanese)"),
    Flag(0, "search-utf8", nullptr, "no-search-utf8", &Options::SearchUtf8, true,
         "list well-formed UTF-8 text as UTF-8 rows\n"
         "(default off; --no-search-utf8)"),
    Flag(0, "search-resources", nullptr, "no-search-resources", &Options::SearchResources, true,
         "in a PE file (.exe, .dll), list the texts of\n"
         "its string tables, menus, dialogs, version and\n"
         "message tables whole as Resource rows, in place\n"
         "of the other rows inside them (default off;\n"
         "--no-search-resources)"),
    Flag(0, "search-euc-jp", nullptr, "no-search-euc-jp", &Options::SearchEucJp, true,
         "list Japanese text in EUC-JP as EUC-JP rows\n"
         "(default off; --no-search-euc-jp)"),
    Flag(0, "search-iso-2022-jp", nullptr, "no-search-iso-2022-jp", &Options::SearchIso2022Jp,
         true,
         "list Japanese text in ISO-2022-JP (JIS, as in\n"
         "mail) as ISO-2022-JP rows (default off;\n"
         "--no-search-iso-2022-jp)"),
    Flag(0, "search-utf16be", nullptr, "no-search-utf16be", &Options::SearchUtf16Be, true,
         "list Japanese text in UTF-16BE (font names,\n"
         "PDF strings) as UTF-16BE rows (default off;\n"
         "--no-search-utf16be)"),
    Flag(0, "no-check-half-kana", nullptr, "check-half-kana", &Options::CheckHalfKana, false,
         "list half-width katakana 0xA1-0xDF as text\n"
         "(default: left out; --check-half-kana)"),
    Flag(0, "no-check-recurrence", nullptr, "check-recurrence", &Options::CheckRecurrence, false,
         "keep strings with long runs of one byte\n"
         "(default: dropped; --check-recurrence)"),
    Number('r', 0, "recurrence-time", &Options::RecurrenceTime, lex::kRecurrenceTimeRange,
           "run length of one byte that drops a string,\n"
           "{range} (default {default}; digits, space, _ exempt)"),
    Flag(0, "no-check-english", nullptr, "check-english", &Options::CheckEnglish, false,
         "do not mark rows holding an English word\n"
         "(default: marked; --check-english)"),
    Flag(0, "no-check-separator", nullptr, "check-separator", &Options::CheckSeparator, false,
         "a capital after a non-capital does not start\n"
         "a new word (default: it does; --check-separator)"),
    Flag(0, "check-initial", nullptr, "no-check-initial", &Options::CheckInitial, true,
         "dictionary entries in capitals never match\n"
         "(default off; --no-check-initial)"),
    Flag('t', "save-option", "text-only", "no-save-option", &Options::SaveOption, true,
         "write the text alone (also --text-only;\n"
         "default off; --no-save-option)"),
    Flag('c', "checked-column", nullptr, nullptr, &Options::checkedColumn, true,
         "start each line with 1 (holds an English word)\n"
         "or 0, and a TAB"),
    Flag('f', "print-file-name", nullptr, "no-filename", &Options::fileNames, true,
         "start each line with the file name and a TAB\n"
         "(default with more than one FILE; --no-filename)",
         &Options::fileNamesGiven),
    Text(0, "radix", nullptr, &Options::radix, "d|o|x", "d, o or x",
         "offsets in decimal (10 digits), octal (11) or\n"
         "hexadecimal (8, upper case; the default)"),
    Text(0, "encoding", nullptr, &Options::encoding, "utf-8|cp932", "utf-8 or cp932",
         "the text's encoding, instead of the system's\n"
         "(see below)"),
    Flag(0, "json", nullptr, nullptr, &Options::json, true,
         "one JSON object a line, its fields: file (with\n"
         "more than one FILE or -f), offset (a number),\n"
         "kind, text (UTF-8, stand-ins as their\n"
         "characters), checked (true or false)"),
    Flag('R', "results-layout", nullptr, nullptr, &Options::resultsLayout, true,
         "exactly the program's results file on any\n"
         "system: code page 932, CR LF, \\u{HEX} stand-ins;\n"
         "several FILEs' lines follow each other\n"
         "(not with -f, --radix, --encoding, --json)"),
    Flag(0, "debug", nullptr, "no-debug", &Options::Debug, true,
         "report every dictionary hit on stderr"),
    Text(0, "dict", nullptr, &Options::dict, "PATH", "a path",
         "word dictionary (default: English.dic beside\n"
         "the program)"),
    Text('o', "output", nullptr, &Options::out, "FILE", "a file name",
         "write to FILE instead of standard output; an\n"
         "old FILE is replaced only after a whole run in\n"
         "which every input was read"),
    Flag('h', "help", nullptr, nullptr, &Options::help, true, "show this text"),
    Flag(0, "version", nullptr, nullptr, &Options::version, true,
         "show the version"),
};

static_assert(lex::kMaxRowLength == 1024 * 1024, "the usage text names the longest row");
const char kUsageHead[] =
    "Usage: lexprobe [options] [FILE...]\n"
    "Lists the readable strings of each FILE: ANSI runs, optional Shift-JIS text,\n"
    "UTF-16LE text, optional UTF-8 text and a PE file's optional resource texts.\n"
    "Each line: offset TAB kind TAB text; the kind is ANSI, Unicode, UTF-8 or\n"
    "Resource.  FILE - is standard input, and so is no FILE when standard input\n"
    "is not a terminal.  A FILE may hold up to 4 GiB - 1 bytes (4,294,967,295);\n"
    "it is read piece by piece, and a string longer than 1 MiB is listed as\n"
    "consecutive lines of at most 1 MiB, each with its own offset, so memory\n"
    "grows neither with the file nor with its longest string.  A FILE that\n"
    "cannot be read is reported and the others are still listed.\n"
    "\n"
    "Options:\n";

#ifdef _WIN32
const char kEncodingText[] =
    "Text is written in code page 932 with lines ended by CR LF, as a Japanese\n"
    "Windows console shows it; a character that code page 932 lacks stands as\n"
    "\\u{HEX}.  --encoding utf-8 writes UTF-8 instead (stand-ins as their\n"
    "characters).\n";
#else
const char kEncodingText[] =
    "Text is written in the encoding of the locale (LC_ALL, LC_CTYPE or LANG):\n"
    "code page 932 where it names Shift-JIS or CP932, else UTF-8, a character\n"
    "that code page 932 lacks as itself (in code page 932 as \\u{HEX}); lines end\n"
    "in LF.  --encoding chooses the encoding; -R writes the program's results\n"
    "file.\n";
#endif

const char kUsageTail[] =
    "\n"
    "Exit status: 0 success, 1 a FILE not found, unreadable, too large (4 GiB or\n"
    "more) or a read error (the rows found before it are written to standard\n"
    "output), 2 bad usage, 3 output not writable.\n";

std::string RangeText(const lex::IntRange &range)
{
    return std::to_string(range.min) + "-" + std::to_string(range.max);
}

// `text` with every `token` replaced by `by`.
std::string Replace(std::string text, const std::string &token, const std::string &by)
{
    for (size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + by.size()))
        text.replace(at, token.size(), by);
    return text;
}

const char *EncodingName(lex::TextEncoding encoding)
{
    return encoding == lex::TextEncoding::Utf8 ? "UTF-8" : "code page 932";
}

// The help: each option's letters, name and value in a column of 30, its
// lines of help beside them; then the encoding, and the one in force.
std::string UsageText(const lex::SystemText &system)
{
    constexpr size_t kColumn = 30;
    std::string usage = kUsageHead;
    for (const CliOption &o : kOptions) {
        std::string label = "  ";
        for (char letter : {o.letter, o.letter2}) {
            if (letter)
                label += std::string("-") + letter + ", ";
        }
        if (label.size() == 2)
            label += "    ";
        if (o.name)
            label += std::string("--") + o.name;
        else
            label.resize(label.size() - 2);
        if (o.value)
            label += std::string(" ") + o.value;
        label.resize(std::max(kColumn, label.size() + 2), ' ');
        std::string help = o.help;
        if (o.number) {
            help = Replace(help, "{range}", RangeText(o.range));
            help = Replace(help, "{default}", std::to_string(o.range.def));
        }
        usage += label + Replace(help, "\n", "\n" + std::string(kColumn, ' ')) + "\n";
    }
    usage += std::string("\n") + kEncodingText + "In force now: " +
             EncodingName(system.encoding) + ", " + (system.crlf ? "CR LF" : "LF") + " (" +
             system.why + ").\n";
    return usage + kUsageTail;
}

// Finds the option that the long option `arg` ("--name") names; *negated
// tells whether by its negated name.
const CliOption *FindOption(const std::string &arg, bool *negated)
{
    for (const CliOption &o : kOptions) {
        *negated = o.negated && arg == std::string("--") + o.negated;
        if (*negated || (o.name && arg == std::string("--") + o.name) ||
            (o.alias && arg == std::string("--") + o.alias))
            return &o;
    }
    return nullptr;
}

const CliOption *FindLetter(char letter)
{
    for (const CliOption &o : kOptions) {
        if (letter != 0 && (o.letter == letter || o.letter2 == letter))
            return &o;
    }
    return nullptr;
}

// Gives `option` (spelled `spelling`) its `value`, or when that is null
// the next argument.  Returns kOk, or an exit status after printing the
// reason.
int TakeValue(const CliOption &option, const std::string &spelling, const char *value,
              int argc, char **argv, int &a, Options &o)
{
    if (!value) {
        if (a + 1 >= argc)
            return Usage("option " + spelling + " needs " + option.needs);
        value = argv[++a];
    }
    if (option.text) {
        o.*option.text = value;
        return kOk;
    }
    int number;
    if (!lex::ParseInt(value, &number) || !option.range.Contains(number))
        return Usage("option " + spelling + " needs an integer from " +
                     std::to_string(option.range.min) + " to " +
                     std::to_string(option.range.max) + ", not '" + value + "'");
    o.*option.number = number;
    return kOk;
}

// Sets a flag; true when it ends the parse (--help, --version).
bool SetFlag(const CliOption &option, bool negated, Options &o)
{
    o.*option.flag = option.sets != negated;
    if (option.given)
        o.*option.given = true;
    return o.help || o.version;
}

// Returns kOk, or an exit status after printing the reason.  --help and
// --version end the parse at once.
int ParseArgs(int argc, char **argv, Options &o)
{
    bool noMoreOptions = false;
    for (int a = 1; a < argc; ++a) {
        std::string arg = argv[a];
        if (noMoreOptions || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(argv[a]);
            continue;
        }
        if (arg == "--") {
            noMoreOptions = true;
            continue;
        }
        if (arg[1] != '-') {
            // Short options, several in one argument (-ct); one that takes
            // a value takes the rest of the argument or the next one.
            for (size_t k = 1; k < arg.size(); ++k) {
                const CliOption *option = FindLetter(arg[k]);
                const std::string spelling = std::string("-") + arg[k];
                if (!option)
                    return Usage("unknown option '" + spelling + "'");
                if (option->flag) {
                    if (SetFlag(*option, false, o))
                        return kOk;
                    continue;
                }
                const char *rest = argv[a] + k + 1;
                const int taken = TakeValue(*option, spelling, *rest ? rest : nullptr, argc, argv,
                                            a, o);
                if (taken != kOk)
                    return taken;
                break;
            }
            continue;
        }
        // --name=value is taken as --name value; the value stays in argv.
        const char *value = nullptr;
        const size_t eq = arg.find('=');
        if (eq != std::string::npos) {
            value = argv[a] + eq + 1;
            arg.erase(eq);
        }
        bool negated = false;
        const CliOption *option = FindOption(arg, &negated);
        if (!option)
            return Usage("unknown option '" + std::string(argv[a]) + "'");
        if (option->flag) {
            if (value)
                return Usage("option " + arg + " takes no value");
            if (SetFlag(*option, negated, o))
                return kOk;
            continue;
        }
        const int taken = TakeValue(*option, arg, value, argc, argv, a, o);
        if (taken != kOk)
            return taken;
    }
    return kOk;
}

// The options' text values, and the options that cannot go together, into
// the line format.  Returns kOk, or an exit status after printing the
// reason.
int ChooseFormat(const Options &o, const lex::SystemText &system, lex::LineFormat &format)
{
    format.json = o.json;
    format.textOnly = o.SaveOption;
    format.checkedColumn = o.checkedColumn;
    format.namesInCp932 = system.encoding == lex::TextEncoding::Cp932;
    format.encoding = system.encoding;
    format.crlf = system.crlf;
    if (o.radix) {
        const std::string r = o.radix;
        if (r != "d" && r != "o" && r != "x")
            return Usage(std::string("option --radix needs d, o or x, not '") + o.radix + "'");
        format.radix = r == "d" ? lex::Radix::Decimal : r == "o" ? lex::Radix::Octal
                                                                 : lex::Radix::Hex;
    }
    if (o.encoding) {
        std::string e;
        for (const char *p = o.encoding; *p; ++p) {
            if (*p != '-' && *p != '_')
                e += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : *p);
        }
        if (e == "utf8")
            format.encoding = lex::TextEncoding::Utf8;
        else if (e == "cp932" || e == "sjis" || e == "shiftjis")
            format.encoding = lex::TextEncoding::Cp932;
        else
            return Usage(std::string("option --encoding needs utf-8 or cp932, not '") +
                         o.encoding + "'");
    }
    const char *conflict = o.radix ? "--radix" : o.encoding ? "--encoding" : o.json ? "--json"
                           : o.fileNamesGiven && o.fileNames ? "-f" : nullptr;
    if (o.resultsLayout && conflict)
        return Usage(std::string("-R writes the results file's layout; it takes no ") + conflict);
    if (o.resultsLayout) {
        format.encoding = lex::TextEncoding::Cp932;
        format.crlf = true;
    }
    if (o.json) {
        if (o.SaveOption || o.radix)
            return Usage(std::string("--json writes every field; it takes no ") +
                         (o.radix ? "--radix" : "-t"));
        if (format.encoding != lex::TextEncoding::Utf8 && o.encoding)
            return Usage("--json writes UTF-8; it takes no --encoding cp932");
        format.encoding = lex::TextEncoding::Utf8;
    }
    return kOk;
}

bool IsStandardInput(const char *name)
{
    return std::strcmp(name, "-") == 0;
}

} // namespace

int main(int argc, char **argv)
{
    lex::SetBinaryStandardOutput();
    Options o;
    const int parsed = ParseArgs(argc, argv, o);
    if (parsed != kOk)
        return parsed;
    const lex::SystemText system = lex::SystemTextFormat();
    if (o.help) {
        std::fputs(UsageText(system).c_str(), stdout);
        return kOk;
    }
    if (o.version) {
        std::fputs("lexprobe (" LOOM_PRODUCT " Lexprobe) " LOOM_VER_STRING "\n" LOOM_COPYRIGHT "\n",
                   stdout);
        return kOk;
    }
    lex::LineFormat format;
    const int chosen = ChooseFormat(o, system, format);
    if (chosen != kOk)
        return chosen;
    if (o.files.empty()) {
        if (lex::StandardInputIsTerminal())
            return Usage("no FILE given (standard input is a terminal)");
        o.files.push_back("-");
    }
    // The output would be opened, and emptied, before the input is read.
    for (const char *file : o.files) {
        const char *path = IsStandardInput(file) ? lex::StandardInputPath() : file;
        if (o.out && path && lex::SameFile(o.out, path))
            return Usage(std::string("output file ") + o.out + " is the input file " + file +
                         "; it is left as it is");
    }

    lex::WordDictionary dict;
    if (o.CheckEnglish) {
        const std::string path = o.dict ? std::string(o.dict)
                                        : lex::DictionaryBesideExecutable();
        if (!lex::LoadDictionaryFile(path.c_str(), dict)) {
            if (o.dict) {
                std::fprintf(stderr, "lexprobe: cannot read dictionary %s\n", path.c_str());
                return kInputError;
            }
            std::fprintf(stderr,
                         "lexprobe: warning: cannot read dictionary %s; no row is marked\n",
                         path.c_str());
        }
    }
    lex::EnglishWordMarker marker(dict, o);
    marker.SetHitReport([](const std::string &text, const std::string &entry) {
        std::fprintf(stderr, "lexprobe: hit \"%s\" in \"%s\"\n", entry.c_str(), text.c_str());
    });

    const bool names = o.fileNamesGiven ? o.fileNames : o.files.size() > 1 && !o.resultsLayout;
    LineWriter writer(o.out, format);
    bool failed = false;
    for (const char *file : o.files) {
        if (writer.Broken())
            break;
        const bool in = IsStandardInput(file);
        const char *label = in ? "(standard input)" : file;
        writer.SetFile(names ? label : nullptr);
        lex::InputFile input;
        lex::InputError why = in ? input.OpenStandardInput() : input.Open(file);
        if (why == lex::InputError::None &&
            lex::ScanInput(input, o.MinExtractStr, o, &marker, writer, &why) == 0)
            continue;
        std::fprintf(stderr, "lexprobe: %s: %s\n", label, lex::InputErrorText(why));
        failed = true;
    }
    const lex::OutputError written = writer.Finish(!failed);
    switch (written) {
    case lex::OutputError::None:
        if (failed && o.out)
            std::fprintf(stderr, "lexprobe: %s not written, as an input failed\n", o.out);
        break;
    case lex::OutputError::CannotCreate:
        std::fprintf(stderr, "lexprobe: cannot create %s: %s\n", o.out, writer.ErrorText().c_str());
        break;
    case lex::OutputError::WriteFailed:
        std::fprintf(stderr, "lexprobe: write error on %s\n", o.out ? o.out : "standard output");
        break;
    }
    if (failed)
        return kInputError;
    return written == lex::OutputError::None ? kOk : kOutputError;
}
