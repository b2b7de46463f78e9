// Terminal: raw keyboard input for the player, with the terminal's settings put back on
// exit and on the signals that end the program.
#ifndef HOST_TERMINAL_H
#define HOST_TERMINAL_H

#include <string>

class Terminal
{
public:
    enum Key { KEY_NONE, KEY_SPACE, KEY_LEFT, KEY_RIGHT, KEY_NEXT, KEY_QUIT, KEY_OTHER };

    // Switches standard input to raw mode when it is a terminal.
                    Terminal();
                    ~Terminal();
                    Terminal(const Terminal&) = delete;
    Terminal&       operator=(const Terminal&) = delete;

    bool            IsInteractive() const { return interactive; }
    // Waits up to `milliseconds` for a key.
    Key             ReadKey(int milliseconds);

private:
    Key             TakeKey();

    bool            interactive;
    std::string     pending;        // bytes read but not yet taken as keys
};

#endif
