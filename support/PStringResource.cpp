// The string-resource registry: a process-wide list of registered tables under one
// recursive mutex. Every failure unlocks the registry before it leaves.
#include "support/PStringResource.h"

#include <new>

#include "beos/OS.h"
#include "support/PException.h"
#include "support/PList.h"
#include "support/PMutex.h"
#include "support/PString.h"

namespace {

struct ResourceStruct
{
    int32                  id;
    int32                  count;   // entries before the terminator
    const PStringResource* table;
};

struct Registry
{
    Registry() : mutex(false), list(10), nextId(0) {}
    // Mend: the records still registered are freed too.
    ~Registry()
    {
        while (list.CountItems() > 0)
            delete list.RemoveItem(0);
    }

    PMutex                 mutex;
    PList<ResourceStruct*> list;
    int32                  nextId;
};

// Built on first use, so a table registered from a static constructor elsewhere finds
// the registry ready whatever the initialisation order.
Registry&
TheRegistry()
{
    static Registry registry;
    return registry;
}

// Holds the registry lock and releases it on every way out.
class RegistryLock
{
public:
    RegistryLock(PMutex& mutex) : fMutex(mutex), fResult(mutex.Lock(PSYNC_INFINITE)) {}
    ~RegistryLock() { Unlock(); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

    int32 Result() const { return fResult; }
    int32 Unlock()
    {
        if (fResult != PSYNC_OK)
            return fResult;
        fResult = PSYNC_ERROR;
        return fMutex.Unlock();
    }

private:
    PMutex& fMutex;
    int32   fResult;
};

bool
IsTerminator(const PStringResource& entry)
{
    return entry.number == -1 && entry.text == nullptr;
}

ResourceStruct*
FindRecord(Registry& registry, int32 id, int32* index)
{
    for (int32 i = 0; i < registry.list.CountItems(); i++) {
        ResourceStruct* record = registry.list.ItemAt(i);
        if (record->id == id) {
            if (index != nullptr)
                *index = i;
            return record;
        }
    }
    return nullptr;
}

const char*
FindText(const ResourceStruct& record, int32 number)
{
    int32 low = 0;
    int32 high = record.count - 1;
    while (low <= high) {
        int32 mid = low + (high - low) / 2;
        int32 probe = record.table[mid].number;
        if (probe == number)
            return record.table[mid].text;
        if (probe < number)
            low = mid + 1;
        else
            high = mid - 1;
    }
    ThrowResourceException();
}

}   // namespace

int32
AddStringResource(const PStringResource* table)
{
    Registry&    registry = TheRegistry();
    RegistryLock lock(registry.mutex);
    int32        id = atomic_add(&registry.nextId, 1);
    if (lock.Result() != PSYNC_OK || table == nullptr)
        return id;

    int32 count = 0;
    while (!IsTerminator(table[count]))
        count++;
    ResourceStruct* record = new (std::nothrow) ResourceStruct { id, count, table };
    if (record == nullptr)
        ThrowMemoryException();
    try {
        registry.list.AddTail(record);
    } catch (...) {
        delete record;
        throw;
    }
    return id;
}

int32
RemoveStringResource(uint32 id)
{
    Registry&    registry = TheRegistry();
    RegistryLock lock(registry.mutex);
    if (lock.Result() != PSYNC_OK)
        return lock.Result();
    int32 index;
    if (ResourceStruct* record = FindRecord(registry, (int32)id, &index)) {
        registry.list.RemoveItem(index);
        delete record;
    }
    return lock.Unlock();
}

int32
PString::LoadString(uint32 resourceId, uint32 number)
{
    Registry&    registry = TheRegistry();
    RegistryLock lock(registry.mutex);
    if (lock.Result() != PSYNC_OK)
        return lock.Result();
    ResourceStruct* record = FindRecord(registry, (int32)resourceId, nullptr);
    if (record == nullptr)
        ThrowResourceException();
    *this = FindText(*record, (int32)number);
    return lock.Unlock();
}
