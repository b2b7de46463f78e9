#include "host/Terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace {

// Saved for the signal handler, which may only use async-signal-safe calls.
struct termios        sSaved;
volatile sig_atomic_t sRaw = 0;
volatile sig_atomic_t sResized = 0;

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

void
NoteResize(int)
{
    sResized = 1;
}

// Without SA_RESTART, so that a resize wakes the wait for keys and the line is redrawn
// at once.
void
WatchResizes()
{
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = NoteResize;
    sigemptyset(&action.sa_mask);
    sigaction(SIGWINCH, &action, nullptr);
}

}   // namespace

Terminal::Terminal() : interactive(false)
{
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &sSaved) != 0)
        return;
    struct termios raw = sSaved;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    for (int signal : kSignals)
        ::signal(signal, RestoreAndDie);
    WatchResizes();
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
        ::signal(SIGWINCH, SIG_DFL);
    }
}

int
Terminal::Columns()
{
    struct winsize size;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return size.ws_col;
}

bool
Terminal::TakeResize()
{
    bool resized = sResized != 0;
    sResized = 0;
    return resized;
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
        char    keys[32];
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
    // Arrow keys arrive as ESC [ A..D, or ESC O A..D in the application cursor mode.
    if (pending.size() >= 3 && pending[0] == '\033' && (pending[1] == '[' || pending[1] == 'O')) {
        char code = pending[2];
        pending.erase(0, 3);
        switch (code) {
            case 'A': return KEY_UP;
            case 'B': return KEY_DOWN;
            case 'C': return KEY_RIGHT;
            case 'D': return KEY_LEFT;
            default: return KEY_OTHER;
        }
    }
    char key = pending[0];
    pending.erase(0, 1);
    switch (key) {
        case ' ': return KEY_SPACE;
        case 'n':
        case 'N': return KEY_NEXT;
        case 'p':
        case 'P': return KEY_PREVIOUS;
        case 'l':
        case 'L': return KEY_LOOP;
        case '+':
        case '=': return KEY_GAIN_UP;
        case '-':
        case '_': return KEY_GAIN_DOWN;
        case ']': return KEY_WIDER;
        case '[': return KEY_NARROWER;
        case 'i':
        case 'I': return KEY_INTERPOLATION;
        case 'a':
        case 'A': return KEY_AMIGA;
        case 'q':
        case 'Q': return KEY_QUIT;
        default: return KEY_OTHER;
    }
}
