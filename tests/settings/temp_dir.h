#pragma once

#include <filesystem>
#include <string>

namespace settings_test {

// A fresh, uniquely named directory under the system's temporary directory, removed with everything in it at the
// end of the test. Each test gets its own, so test programs can run in parallel.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const;
    std::string file(const std::string& name) const;  // the path of `name` inside the directory

private:
    std::filesystem::path path_;
};

// Makes `directory` the current directory until the end of the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& directory);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);  // empty when the file is missing

}  // namespace settings_test
