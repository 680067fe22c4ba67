// lexprobe: the string scanner on the command line.
//
//   lexprobe [options] FILE
//
// Writes one line per row in the layout of the program's results file:
// offset text, TAB, kind, TAB, text, CR LF (or the text alone with
// --save-option).  Exit status: 0 success, 1 the input file (or an explicitly
// named dictionary) could not be read to its end, 2 bad usage, 3 the output
// could not be written.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "words/dictionary.h"
#include "startup/exepath.h"
#include "scan/scanner.h"
#include "settings/settings.h"
#include "results/resultsfile.h"

namespace {

const char kUsage[] =
    "Usage: lexprobe [options] FILE\n"
    "Lists the readable strings of FILE: ANSI runs, optional Shift-JIS text and\n"
    "UTF-16LE text.  Each line: offset TAB kind TAB text, ended by CR LF.\n"
    "FILE may hold up to 4 GiB - 1 bytes (4,294,967,295); it is read piece by\n"
    "piece, so memory does not grow with its size.\n"
    "\n"
    "  -m, --min-length N          minimum length in bytes, 1-1000 (default 5);\n"
    "                              characters for UTF-16 text with Japanese\n"
    "      --search-kanji          take Shift-JIS double-byte characters into ANSI\n"
    "                              strings (default off; --no-search-kanji)\n"
    "      --no-check-kanji-noise  keep ANSI rows whose double-byte characters\n"
    "                              read as machine code (default: dropped;\n"
    "                              --check-kanji-noise)\n"
    "      --search-wide-japanese  take Japanese text in UTF-16LE strings into\n"
    "                              Unicode strings (default off;\n"
    "                              --no-search-wide-japanese)\n"
    "      --no-check-half-kana    list half-width katakana 0xA1-0xDF as text\n"
    "                              (default: left out; --check-half-kana)\n"
    "      --no-check-recurrence   keep strings with long runs of one byte\n"
    "                              (default: dropped; --check-recurrence)\n"
    "  -r, --recurrence-time N     run length of one byte that drops a string,\n"
    "                              1-1000 (default 4; digits, space, _ exempt)\n"
    "      --no-check-english      do not mark rows holding an English word\n"
    "                              (default: marked; --check-english)\n"
    "      --no-check-separator    a capital after a non-capital does not start\n"
    "                              a new word (default: it does; --check-separator)\n"
    "      --check-initial         dictionary entries in capitals never match\n"
    "                              (default off; --no-check-initial)\n"
    "  -t, --save-option           write the text alone (also --text-only;\n"
    "                              default off; --no-save-option)\n"
    "      --debug                 report every dictionary hit on stderr\n"
    "  -c, --checked-column        start each line with 1 (holds an English word)\n"
    "                              or 0, and a TAB\n"
    "      --dict PATH             word dictionary (default: English.dic beside\n"
    "                              the program)\n"
    "  -o FILE                     write to FILE instead of standard output\n"
    "  -h, --help                  show this text\n"
    "\n"
    "Exit status: 0 success, 1 file not found, unreadable, too large (4 GiB or\n"
    "more) or a read error (the rows found before it are written), 2 bad usage,\n"
    "3 output not writable.\n";

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
class LineWriter : public lex::ScanHost {
public:
    LineWriter(const char *outPath, bool textOnly, bool checkedColumn)
        : outPath_(outPath), textOnly_(textOnly), checkedColumn_(checkedColumn),
          block_(new char[kBlock])
    {
    }
    ~LineWriter() override
    {
        if (out_ && out_ != stdout)
            std::fclose(out_);
    }

    void ClearRows() override
    {
        if (outPath_) {
            out_ = std::fopen(outPath_, "wb");
            if (!out_)
                openError_ = errno;
        } else {
            out_ = stdout;
        }
    }
    void AddRow(uint32_t offset, bool wide, const char *text, size_t length,
                bool checked) override
    {
        const size_t column = checkedColumn_ ? 2 : 0;
        const size_t need = column + lex::ResultsLineLength(wide, length, textOnly_);
        if (need > kBlock - used_)
            Drain();
        if (need > kBlock) {
            // A line longer than the block is written through one of its own.
            std::string line(need, '\0');
            Put(&line[0], offset, wide, text, length, checked);
            Write(line.data(), line.size());
            return;
        }
        Put(block_.get() + used_, offset, wide, text, length, checked);
        used_ += need;
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    // A broken output ends the scan early.
    bool AbortRequested() override { return failed_ || !out_; }

    // Writes what is left; false when any write failed.
    bool Finish()
    {
        Drain();
        if (!out_)
            return false;
        if (std::fflush(out_) != 0)
            failed_ = true;
        if (out_ != stdout) {
            if (std::fclose(out_) != 0)
                failed_ = true;
            out_ = nullptr;
        }
        return !failed_;
    }
    int OpenError() const { return openError_; }

private:
    static constexpr size_t kBlock = size_t(1) << 20;

    // The line of the program's results file, after the checked column.
    void Put(char *at, uint32_t offset, bool wide, const char *text, size_t length, bool checked)
    {
        if (checkedColumn_) {
            *at++ = checked ? '1' : '0';
            *at++ = '\t';
        }
        lex::PutResultsLine(at, offset, wide, text, length, textOnly_);
    }
    void Write(const char *data, size_t size)
    {
        if (out_ && !failed_ && size != 0 && std::fwrite(data, 1, size, out_) != size)
            failed_ = true;
    }
    void Drain()
    {
        Write(block_.get(), used_);
        used_ = 0;
    }

    const char *outPath_;
    bool textOnly_;
    bool checkedColumn_;
    FILE *out_ = nullptr;
    int openError_ = 0;
    bool failed_ = false;
    std::unique_ptr<char[]> block_;
    size_t used_ = 0;
};

struct Options {
    lex::ExtractionSettings settings;
    int minLength = 5;
    bool checkedColumn = false;
    const char *dict = nullptr;
    const char *out = nullptr;
    const char *file = nullptr;
};

struct FlagOption {
    const char *name;  // without "--" and without "no-"
    bool lex::ExtractionSettings::*field;
};

const FlagOption kFlags[] = {
    {"search-kanji", &lex::ExtractionSettings::SearchKanji},
    {"check-kanji-noise", &lex::ExtractionSettings::CheckKanjiNoise},
    {"search-wide-japanese", &lex::ExtractionSettings::SearchWideJapanese},
    {"check-half-kana", &lex::ExtractionSettings::CheckHalfKana},
    {"check-recurrence", &lex::ExtractionSettings::CheckRecurrence},
    {"check-english", &lex::ExtractionSettings::CheckEnglish},
    {"check-separator", &lex::ExtractionSettings::CheckSeparator},
    {"check-initial", &lex::ExtractionSettings::CheckInitial},
    {"save-option", &lex::ExtractionSettings::SaveOption},
    {"debug", &lex::ExtractionSettings::Debug},
};

bool ParseRange(const char *name, const char *text, int *out, std::string *error)
{
    int value;
    if (!lex::ParseInt(text, &value) || value < 1 || value > 1000) {
        *error = std::string("option ") + name + " needs an integer from 1 to 1000, not '" +
                 text + "'";
        return false;
    }
    *out = value;
    return true;
}

// Returns kOk, or an exit status after printing the reason; *help is set
// for --help.
int ParseArgs(int argc, char **argv, Options &o, bool *help)
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
        // --name=value is taken as --name value.
        std::string value;
        bool hasValue = false;
        if (arg.compare(0, 2, "--") == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.erase(eq);
                hasValue = true;
            }
        }
        auto takeValue = [&](const char *&out) -> bool {
            if (hasValue) {
                // Keep the text alive: point into argv where it lies.
                out = argv[a] + (std::strlen(argv[a]) - value.size());
                return true;
            }
            if (a + 1 >= argc)
                return false;
            out = argv[++a];
            return true;
        };

        if (arg == "-h" || arg == "--help") {
            *help = true;
            return kOk;
        }
        const char *v = nullptr;
        std::string error;
        if (arg == "-m" || arg == "--min-length") {
            if (!takeValue(v))
                return Usage("option " + arg + " needs a value");
            if (!ParseRange(arg.c_str(), v, &o.minLength, &error))
                return Usage(error);
            continue;
        }
        if (arg == "-r" || arg == "--recurrence-time") {
            if (!takeValue(v))
                return Usage("option " + arg + " needs a value");
            if (!ParseRange(arg.c_str(), v, &o.settings.RecurrenceTime, &error))
                return Usage(error);
            continue;
        }
        if (arg == "-o" || arg == "--output") {
            if (!takeValue(o.out))
                return Usage("option " + arg + " needs a file name");
            continue;
        }
        if (arg == "--dict") {
            if (!takeValue(o.dict))
                return Usage("option --dict needs a path");
            continue;
        }
        if (arg == "-c" || arg == "--checked-column") {
            o.checkedColumn = true;
            continue;
        }
        if (arg == "-t" || arg == "--text-only") {
            o.settings.SaveOption = true;
            continue;
        }
        bool matched = false;
        for (const FlagOption &f : kFlags) {
            if (arg == std::string("--") + f.name) {
                o.settings.*f.field = true;
                matched = true;
            } else if (arg == std::string("--no-") + f.name) {
                o.settings.*f.field = false;
                matched = true;
            }
        }
        if (!matched)
            return Usage("unknown option '" + std::string(argv[a]) + "'");
        if (hasValue)
            return Usage("option " + arg + " takes no value");
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
    bool help = false;
    const int parsed = ParseArgs(argc, argv, o, &help);
    if (parsed != kOk)
        return parsed;
    if (help) {
        std::fputs(kUsage, stdout);
        return kOk;
    }

    lex::WordDictionary dict;
    if (o.settings.CheckEnglish) {
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
    lex::EnglishWordMarker marker(dict, o.settings);
    marker.SetHitReport([](const std::string &text, const std::string &entry) {
        std::fprintf(stderr, "lexprobe: hit \"%s\" in \"%s\"\n", entry.c_str(), text.c_str());
    });

    LineWriter writer(o.out, o.settings.SaveOption, o.checkedColumn);
    lex::InputError why = lex::InputError::None;
    const int result =
        lex::StringScanner(o.file, o.minLength, o.settings, &marker, writer, &why);
    if (result != 0) {
        std::fprintf(stderr, "lexprobe: %s: %s\n", o.file, lex::InputErrorText(why));
        writer.Finish();
        return kInputError;
    }
    if (writer.OpenError() != 0) {
        std::fprintf(stderr, "lexprobe: cannot create %s: %s\n", o.out,
                     std::strerror(writer.OpenError()));
        return kOutputError;
    }
    if (!writer.Finish()) {
        std::fprintf(stderr, "lexprobe: write error on %s\n", o.out ? o.out : "standard output");
        return kOutputError;
    }
    return kOk;
}
