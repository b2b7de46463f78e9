#include "beos/Looper.h"

BLooper::BLooper() = default;
BLooper::~BLooper() = default;


status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* /*replyTo*/)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    if (handler != nullptr && handler != this)
        return B_MISMATCHED_VALUES;
    std::lock_guard<std::mutex> lock(queueLock);
    queue.push_back(*message);
    return B_OK;
}


status_t
BLooper::PostMessage(uint32 command)
{
    BMessage message(command);
    return PostMessage(&message, this);
}


int32
BLooper::CountMessages() const
{
    std::lock_guard<std::mutex> lock(queueLock);
    return (int32)queue.size();
}


bool
BLooper::NextMessage(BMessage* message)
{
    std::lock_guard<std::mutex> lock(queueLock);
    if (queue.empty())
        return false;
    if (message != nullptr)
        *message = queue.front();
    queue.pop_front();
    return true;
}
