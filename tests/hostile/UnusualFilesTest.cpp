// Paths that are no regular files: a named pipe nobody writes to, devices, folders,
// links that lead nowhere, names too long. Recognition and start answer false at once.
#include "HostileTestSupport.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace hostile;

namespace {

// Runs IsOur and InitPlaying on another thread; a call that has not returned after a
// few seconds is a hang.
struct Answer
{
    bool returned = false;
    bool recognised = true;
    bool started = true;
};

Answer
AskWithin(const std::string& path, std::chrono::seconds limit = std::chrono::seconds(5))
{
    auto ask = std::async(std::launch::async, [path] {
        MyPlugin         plugin;
        PlayerInfoStruct info = {};
        Answer           a;
        a.recognised = plugin.IsOur(path.c_str());
        a.started = plugin.InitPlaying(path.c_str(), &info);
        plugin.CleanupPlaying();
        a.returned = true;
        return a;
    });
    if (ask.wait_for(limit) == std::future_status::ready)
        return ask.get();
    // Let a blocked open of a pipe go on, so the test ends.
    int unblock = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    ask.wait();
    if (unblock >= 0)
        close(unblock);
    return Answer {};
}

}   // namespace


TEST(SpecialFiles, NamedPipeWithoutWriter_RefusedAtOnce)
{
    TempDir     dir;
    std::string pipe = dir.File("pipe.mod");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Answer a = AskWithin(pipe);
    EXPECT_TRUE(a.returned) << "IsOur or InitPlaying blocked on the pipe";
    EXPECT_FALSE(a.recognised);
    EXPECT_FALSE(a.started);
}


TEST(SpecialFiles, DevicesFoldersAndBrokenLinks_Refused)
{
    TempDir     dir;
    std::string loop = dir.File("loop.mod");
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    std::string dangling = dir.File("dangling.mod");
    ASSERT_EQ(symlink(dir.File("nothing").c_str(), dangling.c_str()), 0);
    const std::string paths[] = { "/dev/null", "/dev/zero", "/", dir.path, loop, dangling,
        dir.File(std::string(5000, 'x')), "" };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path.substr(0, 60));
        Answer a = AskWithin(path);
        EXPECT_TRUE(a.returned);
        EXPECT_FALSE(a.recognised);
        EXPECT_FALSE(a.started);
    }
}
