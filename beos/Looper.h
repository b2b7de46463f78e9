// BLooper: a handler with a message queue. There is no thread here: what is posted
// waits in the queue until its owner takes it out with NextMessage.
#ifndef BEOS_LOOPER_H
#define BEOS_LOOPER_H

#include <deque>
#include <mutex>

#include "beos/Handler.h"
#include "beos/Message.h"

class BLooper : public BHandler
{
public:
    BLooper();
    virtual ~BLooper();

    // Queues a copy of message for handler, which must be this looper or null (this
    // looper's preferred handler, which is itself). The caller keeps its message.
    status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = nullptr);
    status_t PostMessage(uint32 command);

    int32 CountMessages() const;
    bool  NextMessage(BMessage* message);   // the oldest one, removed

private:
    mutable std::mutex   queueLock;
    std::deque<BMessage> queue;
};

#endif
