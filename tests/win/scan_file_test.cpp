// The scanner on real Windows files: which build of the walk the processor
// check picks, sparse files of 3 GiB and at the 4 GiB edge, files locked by
// others, paths at the length limit, and a PE image's resource texts read
// through the walk's own file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/scanner.h"
#include "recording_host.h"
#include "win_test_util.h"

namespace {

using lex::InputError;
using lextest::RecordingHost;
using lextest::Row;

constexpr uint64_t kGiB = uint64_t(1) << 30;

Row A(uint32_t offset, const std::string &text)
{
    return {offset, lex::RowKind::Ansi, text, false};
}

// Scans `path` with default settings, the marker off.
int Scan(const std::string &path, RecordingHost &host, InputError *why)
{
    lex::ExtractionSettings st;
    st.CheckEnglish = false;
    return lex::StringScanner(path.c_str(), 5, st, nullptr, host, why);
}

class ScanFiles : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testsupport::ScratchDir("lexfiles") + "\\"; }
    void TearDown() override
    {
        for (const std::string &f : files_)
            DeleteFileA(f.c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    // A file of `size` bytes that holds only `pieces` (text at an offset)
    // and zeros elsewhere; the zeros are never written, so the file is
    // sparse and costs no disk.
    std::string Sparse(const std::string &name, uint64_t size,
                       const std::vector<std::pair<uint64_t, std::string>> &pieces)
    {
        const std::string path = dir_ + name;
        files_.push_back(path);
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, f) << path;
        for (const auto &piece : pieces) {
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(piece.first);
            DWORD written = 0;
            EXPECT_TRUE(SetFilePointerEx(f, at, nullptr, FILE_BEGIN));
            EXPECT_TRUE(WriteFile(f, piece.second.data(), static_cast<DWORD>(piece.second.size()),
                                  &written, nullptr));
        }
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        EXPECT_TRUE(SetFilePointerEx(f, end, nullptr, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(f));
        CloseHandle(f);
        return path;
    }

    std::string Plain(const std::string &name, const std::string &bytes)
    {
        return Sparse(name, bytes.size(), {{0, bytes}});
    }

    std::string dir_;
    std::vector<std::string> files_;
};

// The Windows build runs the AVX2 walk exactly when the processor and the
// system run AVX2 code, else the SSE2 walk where there is SSE2, as Windows
// itself reports them.
TEST(ScanPath, TheProcessorCheckPicksTheWalkThatWindowsReports)
{
    const bool sse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;
    const bool avx2 = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != 0;
    EXPECT_EQ(sse2, lex::ProcessorHasSse2());
    EXPECT_EQ(avx2, lex::DetectedProcessorFeatures().avx2);
    EXPECT_EQ(avx2 ? lex::ScanPath::Avx2 : sse2 ? lex::ScanPath::Sse2 : lex::ScanPath::Plain,
              lex::SelectedScanPath());
    std::printf("scan path chosen by the processor check: %s (%d-bit build)\n",
                lex::ScanPathName(lex::SelectedScanPath()), int(sizeof(void *) * 8));
    ::testing::Test::RecordProperty("scan_path", lex::ScanPathName(lex::SelectedScanPath()));
}

TEST_F(ScanFiles, ASparseThreeGigabyteFileGivesTheRowsOfItsTextRegions)
{
    const std::vector<std::pair<uint64_t, std::string>> pieces = {
        {0x10, "near the start"},
        {kGiB + 5, "past one gigabyte"},
        {2 * kGiB - 3, "across two gigabytes"},
        {3 * kGiB - 40, "in the last bytes of the file"},
    };
    const std::string path = Sparse("sparse3g.bin", 3 * kGiB, pieces);
    RecordingHost host;
    InputError why = InputError::Stopped;
    EXPECT_EQ(0, Scan(path, host, &why));
    EXPECT_EQ(InputError::None, why);
    std::vector<Row> expected;
    for (const auto &p : pieces)
        expected.push_back(A(static_cast<uint32_t>(p.first), p.second));
    EXPECT_EQ(expected, host.rows);
    EXPECT_EQ(99, host.progress.back());
}

TEST_F(ScanFiles, FourGigabytesLessOneByteIsScannedToItsLastByteAndFourIsRefused)
{
    const uint64_t size = 4 * kGiB - 1;
    // The file's last five bytes: a word that only the last byte completes.
    const std::string path = Sparse("edge.bin", size, {{size - 5, "final"}});
    RecordingHost host;
    InputError why = InputError::Stopped;
    EXPECT_EQ(0, Scan(path, host, &why));
    EXPECT_EQ(InputError::None, why);
    EXPECT_EQ(std::vector<Row>{A(0xFFFFFFFA, "final")}, host.rows);
    EXPECT_EQ("FFFFFFFA", lex::OffsetText(host.rows.at(0).offset));

    const std::string big = Sparse("four.bin", 4 * kGiB, {});
    RecordingHost refused;
    EXPECT_EQ(1, Scan(big, refused, &why));
    EXPECT_EQ(InputError::TooLarge, why);
    EXPECT_EQ(0, refused.clears);  // refused before the old rows go
}

TEST_F(ScanFiles, AFileThatAnotherProgramHoldsExclusivelyCannotBeOpened)
{
    const std::string path = Plain("held.bin", std::string("\0some text here\0", 16));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RecordingHost host;
    InputError why = InputError::None;
    EXPECT_EQ(1, Scan(path, host, &why));
    EXPECT_EQ(InputError::CannotOpen, why);
    EXPECT_EQ(0, host.clears);
    CloseHandle(held);
    // Released, it scans.
    RecordingHost after;
    EXPECT_EQ(0, Scan(path, after, &why));
    EXPECT_EQ(std::vector<Row>{A(1, "some text here")}, after.rows);
}

TEST_F(ScanFiles, ALockedRangeEndsTheScanWithTheRowsBeforeIt)
{
    // 1 MiB of lines; another handle locks the second half.  Where the
    // system refuses the read, the scan ends there with a read error and
    // keeps what it found before; where it does not enforce such locks
    // (Wine may not), the whole file is scanned.
    std::string text;
    while (text.size() < 1024 * 1024)
        text += "line of plain text\r\n";
    const std::string path = Plain("locked.bin", text);
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    ASSERT_TRUE(LockFile(other, 512 * 1024, 0, 512 * 1024, 0));
    RecordingHost host;
    InputError why = InputError::None;
    const int result = Scan(path, host, &why);
    UnlockFile(other, 512 * 1024, 0, 512 * 1024, 0);
    CloseHandle(other);
    const size_t lines = text.size() / 20;
    if (result == 1) {
        EXPECT_EQ(InputError::ShortRead, why);
        EXPECT_GT(host.rows.size(), 0u);
        EXPECT_LE(host.rows.size(), 512u * 1024 / 20 + 1);
    } else {
        EXPECT_EQ(InputError::None, why);
        EXPECT_EQ(lines, host.rows.size());
    }
    std::printf("locked range: %s, %zu of %zu rows\n",
                result == 1 ? "read refused, scan ended" : "not enforced", host.rows.size(),
                lines);
    // Whole lines from the start; the last one may be cut where the read
    // ended.
    for (size_t k = 0; k < host.rows.size(); ++k) {
        const Row &r = host.rows[k];
        ASSERT_EQ(20 * k, r.offset);
        if (k + 1 < host.rows.size() || result == 0)
            ASSERT_EQ("line of plain text", r.text);
        else
            ASSERT_EQ(0u, std::string("line of plain text").find(r.text)) << r.text;
    }
}

// The resource texts are read at their offsets through the walk's handle,
// whose place the walk goes on from: Lexprobe.exe's rows before its
// resources are those of the walk alone, and the settings dialog's caption
// is a row of its own.
TEST_F(ScanFiles, ResourceTextsAreReadBesideTheWalk)
{
    const std::string exe = testsupport::InBin("Lexprobe.exe");
    lex::ExtractionSettings st;
    st.CheckEnglish = false;
    lex::StreamOptions pieces;
    pieces.pieceSize = 4096;
    RecordingHost walk, both;
    ASSERT_EQ(0, lex::StringScanner(exe.c_str(), 5, st, nullptr, walk, nullptr, pieces));
    st.SearchResources = true;
    ASSERT_EQ(0, lex::StringScanner(exe.c_str(), 5, st, nullptr, both, nullptr, pieces));
    const auto isResource = [](const Row &r) { return r.kind == lex::RowKind::Resource; };
    const auto first = std::find_if(both.rows.begin(), both.rows.end(), isResource);
    ASSERT_NE(both.rows.end(), first);
    EXPECT_TRUE(std::any_of(both.rows.begin(), both.rows.end(), [&](const Row &r) {
        return isResource(r) && r.text == "高度な設定";
    }));
    const auto early = [&](const Row &r) { return r.offset + 1024 < first->offset; };
    const std::vector<Row> walkBefore(walk.rows.begin(),
                                      std::find_if_not(walk.rows.begin(), walk.rows.end(), early));
    const std::vector<Row> bothBefore(both.rows.begin(),
                                      std::find_if_not(both.rows.begin(), both.rows.end(), early));
    EXPECT_GT(walkBefore.size(), 100u);
    EXPECT_EQ(walkBefore, bothBefore);
}

TEST_F(ScanFiles, PathsAtTheLengthLimit)
{
    // Folders of 50 characters until the full path of the file is exactly
    // 259 bytes (the longest a path may be with its terminating zero).
    std::string folder = dir_;
    std::vector<std::string> made;
    while (folder.size() + 51 + 10 < 259) {
        folder += std::string(50, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        made.push_back(folder);
    }
    const std::string name(259 - folder.size(), 'f');
    const std::string path = folder + name;
    ASSERT_EQ(259u, path.size());
    {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        DWORD written = 0;
        WriteFile(f, "\0deep text\0", 11, &written, nullptr);
        CloseHandle(f);
    }
    RecordingHost host;
    InputError why = InputError::Stopped;
    EXPECT_EQ(0, Scan(path, host, &why));
    EXPECT_EQ(std::vector<Row>{A(1, "deep text")}, host.rows);

    // One byte more (where the system lets such a file be made at all):
    // either scanned or a clear "not found" / "cannot open"; never a crash.
    const std::string longer = path + "x";
    HANDLE f = CreateFileA(longer.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, "\0deep text\0", 11, &written, nullptr);
        CloseHandle(f);
    }
    RecordingHost other;
    const int result = Scan(longer, other, &why);
    if (result == 0) {
        EXPECT_EQ(std::vector<Row>{A(1, "deep text")}, other.rows);
    } else {
        EXPECT_TRUE(why == InputError::NotFound || why == InputError::CannotOpen);
        EXPECT_EQ(0, other.clears);
    }
    std::printf("path of 260 bytes: %s\n", result == 0 ? "scanned" : lex::InputErrorText(why));

    DeleteFileA(longer.c_str());
    DeleteFileA(path.c_str());
    for (size_t k = made.size(); k-- > 0;)
        RemoveDirectoryA(made[k].c_str());
}

} // namespace
