#pragma once
// A scratch directory for one test, gone however the test leaves its scope.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

// A directory of its own under the system's temporary directory, removed
// with everything in it at the end.
class temp_dir {
public:
    temp_dir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lunaclock-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~temp_dir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
