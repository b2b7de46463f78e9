// Numbered string tables, registered with a process-wide registry and fetched by
// (resource id, number) through PString::LoadString.
#ifndef SUPPORT_PSTRINGRESOURCE_H
#define SUPPORT_PSTRINGRESOURCE_H

#include "beos/SupportDefs.h"

// One table entry. Tables are sorted by number (signed) and end with {-1, nullptr}.
struct PStringResource
{
    int32       number;
    const char* text;
};

int32 AddStringResource(const PStringResource* table);
int32 RemoveStringResource(uint32 id);

#endif
