// Shared helpers of the tests: a scratch folder, file bytes, and the command line run in-process.
#pragma once

#include "cli/cli.hpp"
#include "files.hpp"
#include "platform/files.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <vector>

// The Z: mapping, dot-names as hidden files and permission bits exist only on POSIX hosts.
#ifdef _WIN32
#define FK_POSIX_ONLY() GTEST_SKIP() << "POSIX behaviour"
#else
#define FK_POSIX_ONLY() (void)0
#endif

namespace fk::test {

using Lines = std::vector<std::string>;

// Lines written as one text, "|" between them.
inline std::vector<std::string> barLines(const std::string& text) {
    std::vector<std::string> out;
    for (size_t from = 0, bar; from <= text.size(); from = bar + 1) {
        bar = std::min(text.find('|', from), text.size());
        out.push_back(text.substr(from, bar - from));
    }
    return out;
}

// Lines joined with CR LF, each line ended.
inline std::string crlfLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

// An environment variable set (or unset, with no value) for one scope, then put back as it was.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value)
        : name_(name), before_(platform::environmentValue(name)) {
        set(value);
    }
    ~ScopedVariable() { set(before_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    void set(const std::optional<std::string>& value) const {
#ifdef _WIN32
        _putenv_s(name_, value ? value->c_str() : ""); // an empty value removes it
#else
        if (value)
            setenv(name_, value->c_str(), 1);
        else
            unsetenv(name_);
#endif
    }
    const char* name_;
    std::optional<std::string> before_;
};

struct CliResult {
    int status;
    std::string out, err, log;
};

// A scratch folder with a program directory "prog" and the Z: text of any path below it.
class Scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        root_ = fs::temp_directory_path() / ("flashkit_test_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(root_ / "prog");
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    fs::path path(const std::string& rel) const { return root_ / rel; }
    std::string text(const std::string& rel) const { return platform::toPathText(root_ / rel); }
    void write(const std::string& rel, const std::string& bytes) const { writeBytes(root_ / rel, bytes); }
    std::string read(const std::string& rel) const { return readBytes(root_ / rel); }
    bool exists(const std::string& rel) const { return fs::exists(root_ / rel); }
    // Every file directly in the folders, "dir/name" with its bytes.
    std::map<std::string, std::string> filesIn(std::initializer_list<const char*> dirs) const {
        std::map<std::string, std::string> all;
        for (const char* dir : dirs)
            for (const auto& e : fs::directory_iterator(path(dir)))
                all[std::string(dir) + "/" + e.path().filename().string()] = readBytes(e.path());
        return all;
    }

    CliResult cli(std::vector<std::string> args) const {
        fs::path logFile = root_ / "cli-log.txt";
        std::error_code ec;
        fs::remove(logFile, ec);
        args.push_back("--log");
        args.push_back(logFile.string());
        std::ostringstream out, err;
        int status = cli::run(args, text("prog"), out, err);
        return {status, out.str(), err.str(), fs::exists(logFile) ? readBytes(logFile) : std::string()};
    }

    fs::path root_;
};

} // namespace fk::test
