#pragma once
// The catalogue programs run as processes, each test in a temporary directory of its own.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeAll(const fs::path& path, std::string_view data)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data.data(), static_cast<std::streamsize>(data.size()));
}

struct Outcome {
    int code = -1;
    std::string out, err;
};

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "poblacion-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // The program's exit code and output; nothing of it is left in the directory.
    Outcome run(const std::string& program, const std::vector<std::string>& args) const
    {
        const auto quote = [](const std::string& arg) {
            std::string out = "'";
            for (char c : arg)
                out += c == '\'' ? std::string("'\\''") : std::string(1, c);
            return out + "'";
        };
        std::string command = quote(program);
        for (const auto& a : args)
            command.append(" ").append(quote(a));
        command.append(" >").append(quote(path("stdout"))).append(" 2>").append(quote(path("stderr")));
        const int status = std::system(command.c_str());
        Outcome r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(path("stdout")), readAll(path("stderr"))};
        fs::remove(path("stdout"));
        fs::remove(path("stderr"));
        return r;
    }

    fs::path dir;
};
