#include "framework/RVGlobal.h"

#include "beos/Looper.h"

RVGlobal::RVGlobal() : messageHandler(nullptr) {}


RVGlobal::~RVGlobal() {}


// Appending takes no lock: agents are added before anything walks the lists.
void
RVGlobal::AddAfterAddingFilesAgent(RVAddOnAgent* agent)
{
    addingFilesAgents.AddTail(agent);
}


void
RVGlobal::AddAfterRemovingFilesAgent(RVAddOnAgent* agent)
{
    removingFilesAgents.AddTail(agent);
}


void
RVGlobal::SetMessageHandler(BLooper* handler)
{
    messageHandler = handler;
}


void
RVGlobal::SendMessage(BMessage* message)
{
    if (message != nullptr && messageHandler != nullptr)
        messageHandler->PostMessage(message, messageHandler, nullptr);
}
