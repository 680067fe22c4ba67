// A test with a folder of its own for the files it writes, removed with
// all it holds after the test.  Portable (std::filesystem).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lextest {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("lex_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes `data` to the file `name` in the folder; returns its path.
    std::string Write(const std::string &name, const std::string &data)
    {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << data;
        return path.string();
    }

    std::filesystem::path dir_;
};

} // namespace lextest
