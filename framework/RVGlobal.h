// RVGlobal: the concrete global object, with a message handler for add-ons.
#ifndef FRAMEWORK_RVGLOBAL_H
#define FRAMEWORK_RVGLOBAL_H

#include "framework/RVGlobalData.h"

class BLooper;
class BMessage;

class RVGlobal : public RVGlobalData
{
public:
    RVGlobal();
    virtual ~RVGlobal();

    void AddAfterAddingFilesAgent(RVAddOnAgent* agent);
    void AddAfterRemovingFilesAgent(RVAddOnAgent* agent);
    void SetMessageHandler(BLooper* handler);
    void SendMessage(BMessage* message);

    BLooper* messageHandler;   // not owned
};

#endif
