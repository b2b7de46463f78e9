// A temporary directory for one test, made with mkdtemp and removed with its contents.
#ifndef TESTS_SUPPORT_TEMPDIR_H
#define TESTS_SUPPORT_TEMPDIR_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ftw.h>
#include <unistd.h>

class TempDir
{
public:
    TempDir()
    {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/zw-support-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) != nullptr)
            fPath = name.data();
    }

    ~TempDir()
    {
        if (!fPath.empty())
            nftw(fPath.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    }

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool Ok() const { return !fPath.empty(); }
    const std::string& Path() const { return fPath; }
    std::string File(const std::string& leaf) const { return fPath + "/" + leaf; }

    // Writes bytes into a new file in the directory and returns its path.
    std::string Write(const std::string& leaf, const std::string& bytes) const
    {
        std::string path = File(leaf);
        FILE* file = fopen(path.c_str(), "wb");
        if (file != nullptr) {
            fwrite(bytes.data(), 1, bytes.size(), file);
            fclose(file);
        }
        return path;
    }

    static std::string Read(const std::string& path)
    {
        std::string bytes;
        FILE* file = fopen(path.c_str(), "rb");
        if (file == nullptr)
            return bytes;
        char chunk[4096];
        size_t got;
        while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
            bytes.append(chunk, got);
        fclose(file);
        return bytes;
    }

private:
    static int RemoveOne(const char* path, const struct stat*, int, struct FTW*)
    {
        return remove(path);
    }

    std::string fPath;
};

// Runs body, expects a PFileException* and hands it to check before deleting it.
#define EXPECT_FILE_EXCEPTION(body, expectedCode)                       \
    do {                                                                \
        bool thrown_ = false;                                           \
        try {                                                           \
            body;                                                       \
        } catch (PFileException* e_) {                                  \
            thrown_ = true;                                             \
            EXPECT_EQ((int32)(expectedCode), e_->code);                 \
            e_->Delete();                                               \
        }                                                               \
        EXPECT_TRUE(thrown_) << "no PFileException from " #body;        \
    } while (0)

#endif
