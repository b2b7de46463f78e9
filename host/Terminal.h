// Terminal: raw keyboard input for the player, with the terminal's settings put back on
// exit and on the signals that end the program, and the width of its lines.
#ifndef HOST_TERMINAL_H
#define HOST_TERMINAL_H

#include <string>

class Terminal
{
public:
    enum Key {
        KEY_NONE,
        KEY_SPACE,
        KEY_LEFT,
        KEY_RIGHT,
        KEY_UP,
        KEY_DOWN,
        KEY_NEXT,
        KEY_PREVIOUS,
        KEY_LOOP,
        KEY_GAIN_UP,
        KEY_GAIN_DOWN,
        KEY_WIDER,
        KEY_NARROWER,
        KEY_INTERPOLATION,
        KEY_AMIGA,
        KEY_QUIT,
        KEY_OTHER
    };

    // Switches standard input to raw mode when it is a terminal.
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool IsInteractive() const { return interactive; }
    // Waits up to `milliseconds` for a key; a resize of the window ends the wait.
    Key ReadKey(int milliseconds);

    // Columns of the terminal on standard output (80 when it does not say).
    static int Columns();
    // True once after each resize of the window.
    static bool TakeResize();

private:
    Key TakeKey();

    bool        interactive;
    std::string pending;   // bytes read but not yet taken as keys
};

#endif
