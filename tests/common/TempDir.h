// A scratch directory for one test, made with mkdtemp and removed with everything in it.
#ifndef TESTS_COMMON_TEMPDIR_H
#define TESTS_COMMON_TEMPDIR_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/xattr.h>

#include "beos/SupportDefs.h"

class TempDir
{
public:
    TempDir()
    {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/zwtestXXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)   // no dot in the directory part
            path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool               Ok() const { return !path.empty(); }
    const std::string& Path() const { return path; }
    std::string        File(const std::string& leaf) const { return path + "/" + leaf; }

    // Writes bytes into a new file in the directory and returns its path. With
    // ZW_KEEP_TEST_FILES set, a copy goes to a folder of the same name under it, so that
    // other hosts can be fed the same inputs later.
    std::string Write(const std::string& leaf, const std::string& bytes) const
    {
        std::ofstream(File(leaf), std::ios::binary)
            .write(bytes.data(), (std::streamsize)bytes.size());
        const char* keep = getenv("ZW_KEEP_TEST_FILES");
        if (keep != nullptr && keep[0] != '\0') {
            std::filesystem::path copy =
                std::filesystem::path(keep) / std::filesystem::path(path).filename() / leaf;
            std::error_code ignored;
            std::filesystem::create_directories(copy.parent_path(), ignored);
            std::ofstream(copy, std::ios::binary)
                .write(bytes.data(), (std::streamsize)bytes.size());
        }
        return File(leaf);
    }
    std::string Write(const std::string& leaf, const std::vector<uint8>& bytes) const
    {
        return Write(leaf, std::string(bytes.begin(), bytes.end()));
    }

    static std::string Read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string path;
};

// Whether the file system takes user extended attributes (where file types are kept).
inline bool
UserXattrsWork(const std::string& file)
{
    return setxattr(file.c_str(), "user.zw_probe", "1", 1, 0) == 0;
}

#endif
