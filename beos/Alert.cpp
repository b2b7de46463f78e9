#include "beos/Alert.h"

#include <atomic>
#include <cstdio>

static std::atomic<BAlert::ShowHook> sShowHook { nullptr };


BAlert::BAlert(const char* alertTitle, const char* text, const char* button0, const char* button1,
    const char* button2, button_width buttonWidth, alert_type alertType)
    : title(alertTitle != nullptr ? alertTitle : ""), buttonCount(0), width(buttonWidth),
      type(alertType), textView(new BTextView)
{
    textView->SetText(text);
    // Labels after the first missing one are ignored, as the kit ignores them.
    for (const char* label : { button0, button1, button2 }) {
        if (label == nullptr)
            break;
        buttons[buttonCount++] = label;
    }
}


BAlert::~BAlert() { delete textView; }


int32
BAlert::CountButtons() const
{
    return buttonCount;
}


const char*
BAlert::ButtonLabel(int32 index) const
{
    if (index < 0 || index >= buttonCount)
        return nullptr;
    return buttons[index].c_str();
}


BAlert::ShowHook
BAlert::SetShowHook(ShowHook hook)
{
    return sShowHook.exchange(hook);
}


int32
BAlert::Go()
{
    printf("[%s]\n%s\n", title.c_str(), textView->Text());
    for (int32 i = 0; i < buttonCount; i++)
        printf("<%s>%s", buttons[i].c_str(), i + 1 < buttonCount ? " " : "\n");
    fflush(stdout);
    if (ShowHook hook = sShowHook.load())
        hook(this);
    int32 pressed = buttonCount > 0 ? 0 : -1;
    delete this;
    return pressed;
}
