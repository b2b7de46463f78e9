#include "framework/RVGlobalData.h"

#include <cstring>

#include "beos/Bitmap.h"
#include "beos/Message.h"
#include "beos/MimeType.h"
#include "framework/RVAddOnAgent.h"

static const int32 kAgentBlockSize = 10;
static const int32 kMiniIconBytes = 16 * 16;
static const int32 kLargeIconBytes = 32 * 32;


RVGlobalData::RVGlobalData()
    : PMutex(false), currentPlayer(nullptr), currentModType(0), unusedWord(0), moduleEnded(false),
      addingFilesAgents(kAgentBlockSize), addingFilesLock(false),
      removingFilesAgents(kAgentBlockSize), removingFilesLock(false), unusedFlag(true)
{
}


// The agents belong to their add-ons; only the list blocks are ours.
RVGlobalData::~RVGlobalData()
{
    addingFilesAgents.MakeEmpty();
    removingFilesAgents.MakeEmpty();
}


void
RVGlobalData::CallAfterAddingFilesPlugins()
{
    addingFilesLock.Lock(PSYNC_INFINITE);
    for (int32 i = 0; i < addingFilesAgents.CountItems(); i++)
        addingFilesAgents.ItemAt(i)->Plugin_AfterAddingFiles();
    addingFilesLock.Unlock();
}


void
RVGlobalData::CallAfterRemovingFilesPlugins()
{
    removingFilesLock.Lock(PSYNC_INFINITE);
    for (int32 i = 0; i < removingFilesAgents.CountItems(); i++)
        removingFilesAgents.ItemAt(i)->Plugin_AfterRemovingFiles();
    removingFilesLock.Unlock();
}


// Registers a module type for this framework's application, unless another application
// already claims it. Icons are 8-bit colour-mapped, 16 x 16 and 32 x 32.
void
RVGlobalData::InstallModType(PString mimeType, PString extensions, PString longDescription,
    PString shortDescription, const void* miniIcon, const void* largeIcon)
{
    BMimeType type(mimeType);
    char      preferred[B_MIME_TYPE_LENGTH];
    if (type.GetPreferredApp(preferred, B_OPEN) == B_OK
        && strcasecmp(preferred, RV_APP_SIGNATURE) != 0)
        return;

    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
    if (miniIcon != nullptr)
        mini.SetBits(miniIcon, kMiniIconBytes, 0, B_CMAP8);
    if (largeIcon != nullptr)
        large.SetBits(largeIcon, kLargeIconBytes, 0, B_CMAP8);

    BMessage    message;
    const char* text = extensions;
    for (;;) {
        const char* bar = strchr(text, '|');
        std::string piece(text, bar != nullptr ? (size_t)(bar - text) : strlen(text));
        message.AddString("extensions", piece.c_str());
        if (bar == nullptr)
            break;
        text = bar + 1;
    }

    type.SetIcon(&mini, B_MINI_ICON);
    type.SetIcon(&large, B_LARGE_ICON);
    type.SetFileExtensions(&message);
    type.SetLongDescription(longDescription);
    type.SetShortDescription(shortDescription);
    type.SetPreferredApp(RV_APP_SIGNATURE, B_OPEN);
    type.Install();
}
