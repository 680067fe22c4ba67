// lexprobe: the string scanner on the command line.
//
//   lexprobe [options] FILE
//
// Writes one line per row in the layout of the program's results file:
// offset text, TAB, kind, TAB, text, CR LF (or the text alone with
// --save-option).  Exit status: 0 success, 1 the input file (or an explicitly
// named dictionary) could not be read to its end, 2 bad usage (the output
// file named as the input included), 3 the output could not be written.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "words/dictionary.h"
#include "base/exepath.h"
#include "scan/scanner.h"
#include "settings/settings.h"
#include "results/outputfile.h"
#include "results/resultsfile.h"

namespace {

enum Exit { kOk = 0, kInputError = 1, kUsageError = 2, kOutputError = 3 };

int Usage(const std::string &message)
{
    std::fprintf(stderr, "lexprobe: %s\nTry 'lexprobe --help'.\n", message.c_str());
    return kUsageError;
}

// Writes rows as they come into the output that is opened once the input
// file has been found and opened.  Lines are formatted straight into one
// block of 1 MiB, which goes out in one write when the next line would not
// fit: few system calls, and memory that does not grow with the output.
// A file named with -o replaces an existing one only once it is whole.
class LineWriter : public lex::ScanHost {
public:
    LineWriter(const char *outPath, bool textOnly, bool checkedColumn)
        : outPath_(outPath), textOnly_(textOnly), checkedColumn_(checkedColumn),
          block_(new char[kBlock])
    {
    }

    void ClearRows() override
    {
        opened_ = true;
        if (outPath_)
            error_ = file_.Open(outPath_);
    }
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        const size_t column = checkedColumn_ ? 2 : 0;
        const size_t need = column + lex::ResultsLineLength(kind, length, textOnly_);
        if (need > kBlock - used_)
            Drain();
        if (need > kBlock) {
            // A line longer than the block is written through one of its own.
            std::string line(need, '\0');
            Put(&line[0], offset, kind, text, length, checked);
            Write(line.data(), line.size());
            return;
        }
        Put(block_.get() + used_, offset, kind, text, length, checked);
        used_ += need;
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    // A broken output ends the scan early.
    bool AbortRequested() override { return error_ != lex::OutputError::None; }

    // Writes what is left and puts a file in its place; the first failure
    // of the whole output.
    lex::OutputError Finish()
    {
        Drain();
        if (!opened_ || error_ != lex::OutputError::None)
            return error_;
        if (outPath_)
            error_ = file_.Commit();
        else if (std::fflush(stdout) != 0)
            error_ = lex::OutputError::WriteFailed;
        return error_;
    }
    std::string ErrorText() const { return file_.ErrorText(); }

private:
    static constexpr size_t kBlock = size_t(1) << 20;

    // The line of the program's results file, after the checked column.
    void Put(char *at, uint32_t offset, lex::RowKind kind, const char *text, size_t length,
             bool checked)
    {
        if (checkedColumn_) {
            *at++ = checked ? '1' : '0';
            *at++ = '\t';
        }
        lex::PutResultsLine(at, offset, kind, text, length, textOnly_);
    }
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
    bool textOnly_;
    bool checkedColumn_;
    bool opened_ = false;  // the scan has asked for the output
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
    const char *dict = nullptr;
    const char *out = nullptr;
    const char *file = nullptr;
};

// One option.  A flag takes no value: its name sets the field to `sets`,
// its negated name to the opposite.  A number or a text takes the next
// argument, or the text after "=" in --name=value.  The help lists the
// letter and the name (not the alias) with `help`, whose "{range}" and
// "{default}" stand for the number's range and default.
struct CliOption {
    char letter;          // -x, or 0
    const char *name;     // --name as listed, or nullptr
    const char *alias;    // a further --name, or nullptr
    const char *negated;  // --name that undoes a flag, or nullptr
    bool Options::*flag;
    bool sets;
    int Options::*number;
    lex::IntRange range;
    const char *Options::*text;
    const char *value;    // what the help calls the value
    const char *needs;    // what a missing value is called
    const char *help;     // lines of help, separated by "\n"
};

constexpr CliOption Flag(char letter, const char *name, const char *alias, const char *negated,
                         bool Options::*field, bool sets, const char *help)
{
    return {letter, name, alias, negated, field, sets, nullptr, {}, nullptr, nullptr, nullptr,
            help};
}

constexpr CliOption Number(char letter, const char *name, int Options::*field,
                           const lex::IntRange &range, const char *help)
{
    return {letter, name, nullptr, nullptr, nullptr, false, field, range, nullptr, "N",
            "a value", help};
}

constexpr CliOption Text(char letter, const char *name, const char *alias,
                         const char *Options::*field, const char *value, const char *needs,
                         const char *help)
{
    return {letter, name, alias, nullptr, nullptr, false, nullptr, {}, field, value, needs,
            help};
}

// In the order of the help.
const CliOption kOptions[] = {
    Number('m', "min-length", &Options::MinExtractStr, lex::kMinExtractStrRange,
           "minimum length in bytes, {range} (default {default});\n"
           "characters for UTF-8 text and UTF-16 text\n"
           "with Japanese"),
    Flag(0, "search-kanji", nullptr, "no-search-kanji", &Options::SearchKanji, true,
         "take Shift-JIS double-byte characters into ANSI\n"
         "strings (default off; --no-search-kanji)"),
    Flag(0, "no-check-kanji-noise", nullptr, "check-kanji-noise", &Options::CheckKanjiNoise,
         false,
         "keep ANSI rows whose double-byte characters\n"
         "read as machine code (default: dropped;\n"
         "--check-kanji-noise)"),
    Flag(0, "search-wide-japanese", nullptr, "no-search-wide-japanese",
         &Options::SearchWideJapanese, true,
         "take Japanese text in UTF-16LE strings into\n"
         "Unicode strings (default off;\n"
         "--no-search-wide-japanese)"),
    Flag(0, "search-utf8", nullptr, "no-search-utf8", &Options::SearchUtf8, true,
         "list well-formed UTF-8 text as UTF-8 rows, in\n"
         "code page 932; a character it lacks as \\u{HEX}\n"
         "(default off; --no-search-utf8)"),
    Flag(0, "no-check-half-kana", nullptr, "check-half-kana", &Options::CheckHalfKana, false,
         "list half-width katakana 0xA1-0xDF as text\n"
         "(default: left out; --check-half-kana)"),
    Flag(0, "no-check-recurrence", nullptr, "check-recurrence", &Options::CheckRecurrence, false,
         "keep strings with long runs of one byte\n"
         "(default: dropped; --check-recurrence)"),
    Number('r', "recurrence-time", &Options::RecurrenceTime, lex::kRecurrenceTimeRange,
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
    Flag(0, "debug", nullptr, "no-debug", &Options::Debug, true,
         "report every dictionary hit on stderr"),
    Flag('c', "checked-column", nullptr, nullptr, &Options::checkedColumn, true,
         "start each line with 1 (holds an English word)\n"
         "or 0, and a TAB"),
    Text(0, "dict", nullptr, &Options::dict, "PATH", "a path",
         "word dictionary (default: English.dic beside\n"
         "the program)"),
    Text('o', nullptr, "output", &Options::out, "FILE", "a file name",
         "write to FILE instead of standard output"),
    Flag('h', "help", nullptr, nullptr, &Options::help, true, "show this text"),
};

const char kUsageHead[] =
    "Usage: lexprobe [options] FILE\n"
    "Lists the readable strings of FILE: ANSI runs, optional Shift-JIS text,\n"
    "UTF-16LE text and optional UTF-8 text.  Each line: offset TAB kind TAB text,\n"
    "ended by CR LF; the kind is ANSI, Unicode or UTF-8.\n"
    "FILE may hold up to 4 GiB - 1 bytes (4,294,967,295); it is read piece by\n"
    "piece, so memory does not grow with its size.\n"
    "\n";

const char kUsageTail[] =
    "\n"
    "Exit status: 0 success, 1 file not found, unreadable, too large (4 GiB or\n"
    "more) or a read error (the rows found before it are written), 2 bad usage,\n"
    "3 output not writable.\n";

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

// The help: each option's letter, name and value in a column of 30, its
// lines of help beside them.
std::string UsageText()
{
    constexpr size_t kColumn = 30;
    std::string usage = kUsageHead;
    for (const CliOption &o : kOptions) {
        std::string label = "  ";
        if (o.letter)
            label += std::string("-") + o.letter + (o.name ? ", " : "");
        else
            label += "    ";
        if (o.name)
            label += std::string("--") + o.name;
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
    return usage + kUsageTail;
}

// Finds the option that `arg` names; *negated tells whether by its negated
// name.
const CliOption *FindOption(const std::string &arg, bool *negated)
{
    for (const CliOption &o : kOptions) {
        *negated = o.negated && arg == std::string("--") + o.negated;
        if (*negated || (o.letter && arg == std::string("-") + o.letter) ||
            (o.name && arg == std::string("--") + o.name) ||
            (o.alias && arg == std::string("--") + o.alias))
            return &o;
    }
    return nullptr;
}

// Returns kOk, or an exit status after printing the reason.  --help ends
// the parse at once.
int ParseArgs(int argc, char **argv, Options &o)
{
    bool noMoreOptions = false;
    for (int a = 1; a < argc; ++a) {
        std::string arg = argv[a];
        if (noMoreOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            if (o.file)
                return Usage("only one FILE may be given");
            o.file = argv[a];
            continue;
        }
        if (arg == "--") {
            noMoreOptions = true;
            continue;
        }
        // --name=value is taken as --name value; the value stays in argv.
        const char *value = nullptr;
        if (arg.compare(0, 2, "--") == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = argv[a] + eq + 1;
                arg.erase(eq);
            }
        }
        bool negated = false;
        const CliOption *option = FindOption(arg, &negated);
        if (!option)
            return Usage("unknown option '" + std::string(argv[a]) + "'");
        if (option->flag) {
            if (value)
                return Usage("option " + arg + " takes no value");
            o.*option->flag = option->sets != negated;
            if (o.help)
                return kOk;
            continue;
        }
        if (!value) {
            if (a + 1 >= argc)
                return Usage("option " + arg + " needs " + option->needs);
            value = argv[++a];
        }
        if (option->text) {
            o.*option->text = value;
            continue;
        }
        int number;
        if (!lex::ParseInt(value, &number) || !option->range.Contains(number))
            return Usage("option " + arg + " needs an integer from " +
                         std::to_string(option->range.min) + " to " +
                         std::to_string(option->range.max) + ", not '" + value + "'");
        o.*option->number = number;
    }
    if (!o.file)
        return Usage("no FILE given");
    return kOk;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    // Lines end in CR LF already; the console must not add another CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options o;
    const int parsed = ParseArgs(argc, argv, o);
    if (parsed != kOk)
        return parsed;
    if (o.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kOk;
    }
    // The output would be opened, and emptied, before the input is read.
    if (o.out && lex::SameFile(o.out, o.file))
        return Usage(std::string("output file ") + o.out + " is the input file " + o.file +
                     "; it is left as it is");

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

    LineWriter writer(o.out, o.SaveOption, o.checkedColumn);
    lex::InputError why = lex::InputError::None;
    const int result =
        lex::StringScanner(o.file, o.MinExtractStr, o, &marker, writer, &why);
    if (result != 0) {
        std::fprintf(stderr, "lexprobe: %s: %s\n", o.file, lex::InputErrorText(why));
        writer.Finish();
        return kInputError;
    }
    switch (writer.Finish()) {
    case lex::OutputError::None:
        return kOk;
    case lex::OutputError::CannotCreate:
        std::fprintf(stderr, "lexprobe: cannot create %s: %s\n", o.out, writer.ErrorText().c_str());
        return kOutputError;
    case lex::OutputError::WriteFailed:
        break;
    }
    std::fprintf(stderr, "lexprobe: write error on %s\n", o.out ? o.out : "standard output");
    return kOutputError;
}
