// PList<T>: a singly linked chain of fixed-size blocks of items with a running count.
// Appending never moves items; every block but the last stays full.
#ifndef SUPPORT_PLIST_H
#define SUPPORT_PLIST_H

#include "beos/SupportDefs.h"
#include "support/PException.h"

template<class T>
class PList
{
public:
                    PList(int32 blockSize = 10);
                    ~PList();
                    PList(const PList&) = delete;
    PList&          operator=(const PList&) = delete;

    int32           AddTail(T item);                        // index of the new item
    T               ItemAt(int32 index) const;              // bounds exception outside 0..count-1
    T               RemoveSomeItems(int32 index, int32 n);  // returns the item that was at index
    T               RemoveItem(int32 index) { return RemoveSomeItems(index, 1); }
    void            MakeEmpty();
    int32           CountItems() const { return count; }
    bool            IsEmpty() const { return count == 0; }

private:
    struct Block
    {
        Block*      next;
        T*          items;
        int32       count;
    };

    Block*          first;
    Block*          last;
    int32           blockSize;
    int32           count;
};

// Implementation follows.

#endif
