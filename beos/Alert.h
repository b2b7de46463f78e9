// BAlert: a modal message box. With no window server here, Go() writes the title, the
// text and the button labels to standard output and returns at once as if the first
// button had been pressed; a test can look at the alert while it is "on screen"
// through the show hook.
#ifndef BEOS_ALERT_H
#define BEOS_ALERT_H

#include <string>

#include "beos/InterfaceDefs.h"
#include "beos/TextView.h"

class BAlert
{
public:
    typedef void (*ShowHook)(const BAlert* alert);

    BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
        const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
        alert_type type = B_INFO_ALERT);
    virtual ~BAlert();
    BAlert(const BAlert&) = delete;
    BAlert& operator=(const BAlert&) = delete;

    // Shows the alert, destroys it (as a synchronous alert does) and returns the index
    // of the button that closed it.
    int32 Go();

    BTextView*   TextView() const { return textView; }
    const char*  Title() const { return title.c_str(); }
    int32        CountButtons() const;
    const char*  ButtonLabel(int32 index) const;
    button_width ButtonWidth() const { return width; }
    alert_type   Type() const { return type; }

    // Called by Go() with the alert before it closes; null for none. Returns the old one.
    static ShowHook SetShowHook(ShowHook hook);

private:
    std::string  title;
    std::string  buttons[3];
    int32        buttonCount;
    button_width width;
    alert_type   type;
    BTextView*   textView;
};

#endif
