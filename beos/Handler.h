// BHandler: the target of a message. Only its identity matters to this layer.
#ifndef BEOS_HANDLER_H
#define BEOS_HANDLER_H

class BHandler
{
public:
    BHandler() {}
    virtual ~BHandler() {}
    BHandler(const BHandler&) = delete;
    BHandler& operator=(const BHandler&) = delete;
};

#endif
