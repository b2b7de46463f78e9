// PList<T>: a singly linked chain of fixed-size blocks of items with a running count.
// Appending never moves items; every block but the last stays full.
#ifndef SUPPORT_PLIST_H
#define SUPPORT_PLIST_H

#include <new>

#include "beos/SupportDefs.h"
#include "support/PException.h"

template<class T>
class PList
{
public:
    PList(int32 blockSize = 10);
    ~PList();
    PList(const PList&) = delete;
    PList& operator=(const PList&) = delete;

    int32 AddTail(T item);                         // index of the new item
    T     ItemAt(int32 index) const;               // bounds exception outside 0..count-1
    T     RemoveSomeItems(int32 index, int32 n);   // returns the item that was at index
    T     RemoveItem(int32 index) { return RemoveSomeItems(index, 1); }
    void  MakeEmpty();
    int32 CountItems() const { return count; }
    bool  IsEmpty() const { return count == 0; }

    // Inspection, for tests of the block invariant.
    int32 CountBlocks() const;
    int32 BlockCountAt(int32 blockIndex) const;   // items in that block, or -1

private:
    struct Block
    {
        Block* next;
        T*     items;
        int32  count;
    };

    Block*      NewBlock();
    static void FreeBlock(Block* block);
    Block*      FindBlock(int32 index, int32* blockFirst) const;
    void        FreeEmptyBlocks();
    void        Compact();

    Block* first;
    Block* last;
    int32  blockSize;
    int32  count;
};

// Mend: a block size below 1 is taken as 1.
template<class T>
PList<T>::PList(int32 blockSize)
    : first(nullptr), last(nullptr), blockSize(blockSize < 1 ? 1 : blockSize), count(0)
{
}

template<class T>
PList<T>::~PList()
{
    MakeEmpty();
}

template<class T>
typename PList<T>::Block*
PList<T>::NewBlock()
{
    Block* block = new (std::nothrow) Block;
    if (block == nullptr)
        ThrowMemoryException();
    block->items = new (std::nothrow) T[blockSize];
    if (block->items == nullptr) {
        delete block;
        ThrowMemoryException();
    }
    block->next = nullptr;
    block->count = 0;
    return block;
}

template<class T>
void
PList<T>::FreeBlock(Block* block)
{
    delete[] block->items;
    delete block;
}

template<class T>
int32
PList<T>::AddTail(T item)
{
    if (last == nullptr || last->count == blockSize) {
        Block* block = NewBlock();
        if (last == nullptr)
            first = block;
        else
            last->next = block;
        last = block;
    }
    last->items[last->count++] = item;
    return count++;
}

// The block holding index, and the list index of its first item.
template<class T>
typename PList<T>::Block*
PList<T>::FindBlock(int32 index, int32* blockFirst) const
{
    int32 start = 0;
    for (Block* block = first; block != nullptr; block = block->next) {
        if (index < start + block->count) {
            *blockFirst = start;
            return block;
        }
        start += block->count;
    }
    return nullptr;
}

template<class T>
T
PList<T>::ItemAt(int32 index) const
{
    if (index < 0 || index >= count)
        ThrowBoundsException(index);
    int32  start = 0;
    Block* block = FindBlock(index, &start);
    return block->items[index - start];
}

// Removes n items from index on (a count past the end is cut to the end; n <= 0
// removes nothing), returns the item that was at index, then frees emptied blocks and
// compacts so that every block but the last is full again.
template<class T>
T
PList<T>::RemoveSomeItems(int32 index, int32 n)
{
    if (index < 0 || index >= count)
        ThrowBoundsException(index);
    int32  start = 0;
    Block* block = FindBlock(index, &start);
    int32  offset = index - start;
    T      removed = block->items[offset];
    if (n > count - index)
        n = count - index;

    while (n > 0 && block != nullptr) {
        int32 take = block->count - offset;
        if (take > n)
            take = n;
        // Close the gap inside this block.
        for (int32 i = offset; i + take < block->count; i++)
            block->items[i] = block->items[i + take];
        block->count -= take;
        count -= take;
        n -= take;
        block = block->next;
        offset = 0;
    }
    FreeEmptyBlocks();
    Compact();
    return removed;
}

template<class T>
void
PList<T>::FreeEmptyBlocks()
{
    Block* previous = nullptr;
    Block* block = first;
    while (block != nullptr) {
        Block* next = block->next;
        if (block->count == 0) {
            if (previous == nullptr)
                first = next;
            else
                previous->next = next;
            if (last == block)
                last = previous;
            FreeBlock(block);
        } else {
            previous = block;
        }
        block = next;
    }
}

// Fills every block from the front of its successor, freeing successors that empty.
template<class T>
void
PList<T>::Compact()
{
    for (Block* block = first; block != nullptr; block = block->next) {
        while (block->count < blockSize && block->next != nullptr) {
            Block* next = block->next;
            int32  move = blockSize - block->count;
            if (move > next->count)
                move = next->count;
            for (int32 i = 0; i < move; i++)
                block->items[block->count + i] = next->items[i];
            for (int32 i = move; i < next->count; i++)
                next->items[i - move] = next->items[i];
            block->count += move;
            next->count -= move;
            if (next->count == 0) {
                block->next = next->next;
                if (last == next)
                    last = block;
                FreeBlock(next);
            }
        }
    }
}

template<class T>
void
PList<T>::MakeEmpty()
{
    while (first != nullptr) {
        Block* next = first->next;
        FreeBlock(first);
        first = next;
    }
    last = nullptr;
    count = 0;
}

template<class T>
int32
PList<T>::CountBlocks() const
{
    int32 blocks = 0;
    for (Block* block = first; block != nullptr; block = block->next)
        blocks++;
    return blocks;
}

template<class T>
int32
PList<T>::BlockCountAt(int32 blockIndex) const
{
    Block* block = first;
    for (int32 i = 0; block != nullptr && i < blockIndex; i++)
        block = block->next;
    return blockIndex < 0 || block == nullptr ? -1 : block->count;
}

#endif
