#include "host/Terminal.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Saved for the signal handler, which may only use async-signal-safe calls.
struct termios sSaved;
volatile sig_atomic_t sRaw = 0;

const int kSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };

void
Restore()
{
    if (sRaw) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &sSaved);
        sRaw = 0;
    }
}

void
RestoreAndDie(int signal)
{
    Restore();
    const char newline = '\n';
    (void)!write(STDOUT_FILENO, &newline, 1);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}   // namespace

Terminal::Terminal()
    :
    interactive(false)
{
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &sSaved) != 0)
        return;
    struct termios raw = sSaved;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    for (int signal : kSignals)
        ::signal(signal, RestoreAndDie);
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0)
        return;
    sRaw = 1;
    interactive = true;
}

Terminal::~Terminal()
{
    Restore();
    if (interactive) {
        for (int signal : kSignals)
            ::signal(signal, SIG_DFL);
    }
}

Terminal::Key
Terminal::ReadKey(int milliseconds)
{
    if (!interactive) {
        poll(nullptr, 0, milliseconds);
        return KEY_NONE;
    }
    if (pending.empty()) {
        struct pollfd input = { STDIN_FILENO, POLLIN, 0 };
        if (poll(&input, 1, milliseconds) <= 0)
            return KEY_NONE;
        char keys[32];
        ssize_t count = read(STDIN_FILENO, keys, sizeof(keys));
        if (count <= 0)
            return KEY_NONE;
        pending.append(keys, count);
    }
    return TakeKey();
}

// One key off the front of what was typed: keys pressed quickly arrive in one read.
Terminal::Key
Terminal::TakeKey()
{
    // Arrow keys arrive as ESC [ C and ESC [ D.
    if (pending.size() >= 3 && pending.compare(0, 2, "\033[") == 0) {
        char code = pending[2];
        pending.erase(0, 3);
        return code == 'C' ? KEY_RIGHT : code == 'D' ? KEY_LEFT : KEY_OTHER;
    }
    char key = pending[0];
    pending.erase(0, 1);
    switch (key) {
        case ' ': return KEY_SPACE;
        case 'n': case 'N': return KEY_NEXT;
        case 'q': case 'Q': return KEY_QUIT;
        default: return KEY_OTHER;
    }
}
