// A scratch folder for the files a test plays, removed with everything in it.
#ifndef TESTS_PLUGIN_TEMPDIR_H
#define TESTS_PLUGIN_TEMPDIR_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "beos/SupportDefs.h"

class TempDir
{
public:
    TempDir()
    {
        char pattern[] = "/tmp/zwpluginXXXXXX";
        if (mkdtemp(pattern) != nullptr)
            path = pattern;
    }
    ~TempDir()
    {
        if (!path.empty())
            std::filesystem::remove_all(path);
    }

    std::string File(const std::string& leaf) const { return path + "/" + leaf; }

    std::string Write(const std::string& leaf, const std::vector<uint8>& bytes) const
    {
        std::ofstream out(File(leaf), std::ios::binary);
        out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
        return File(leaf);
    }

    std::string Write(const std::string& leaf, const std::string& text) const
    {
        return Write(leaf, std::vector<uint8>(text.begin(), text.end()));
    }

    std::string     path;
};

#endif
