#include "hostlib/LoaderOutput.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace {

const char kLoaderPrefix[] = "Ravlo Mod plugin ERROR: ";

class StdoutCapture
{
public:
    StdoutCapture()
    {
        fflush(stdout);
        scratch = tmpfile();
        saved = dup(STDOUT_FILENO);
        if (scratch != nullptr && saved >= 0)
            dup2(fileno(scratch), STDOUT_FILENO);
    }

    ~StdoutCapture() { Finish(); }

    std::string Finish()
    {
        std::string text;
        if (saved < 0)
            return text;
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        saved = -1;
        if (scratch == nullptr)
            return text;
        rewind(scratch);
        char   buffer[512];
        size_t count;
        while ((count = fread(buffer, 1, sizeof(buffer), scratch)) > 0)
            text.append(buffer, count);
        fclose(scratch);
        scratch = nullptr;
        return text;
    }

private:
    FILE* scratch = nullptr;
    int   saved = -1;
};

// The message after the prefix, its lines joined by spaces (the loader puts the error
// number and its text on two lines); text before the prefix goes to standard error.
std::string
LoaderMessage(const std::string& printed)
{
    size_t at = printed.find(kLoaderPrefix);
    if (at == std::string::npos) {
        std::cerr << printed;
        return "";
    }
    std::cerr << printed.substr(0, at);
    std::string message;
    for (char c : printed.substr(at + sizeof(kLoaderPrefix) - 1)) {
        if (c != '\n')
            message += c;
        else if (!message.empty() && message.back() != ' ')
            message += ' ';
    }
    while (!message.empty() && message.back() == ' ')
        message.pop_back();
    return message;
}

}   // namespace

std::mutex&
StandardOutputLock()
{
    static std::mutex lock;
    return lock;
}

std::string
RunCapturingStandardOutput(const std::function<void()>& call)
{
    std::lock_guard<std::mutex> hold(StandardOutputLock());
    StdoutCapture               capture;
    try {
        call();
    } catch (...) {
        capture.Finish();
        throw;
    }
    return capture.Finish();
}

std::string
RunCapturingLoaderMessage(const std::function<void()>& load)
{
    return LoaderMessage(RunCapturingStandardOutput(load));
}
