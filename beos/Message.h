// BMessage: a command constant and named fields. This layer keeps string fields only,
// which is all the MIME database and the plug-in exchange.
#ifndef BEOS_MESSAGE_H
#define BEOS_MESSAGE_H

#include <string>
#include <vector>

#include "beos/SupportDefs.h"

enum : type_code {
    B_ANY_TYPE = 0x414e5954,      // 'ANYT'
    B_STRING_TYPE = 0x43535452,   // 'CSTR'
};

class BMessage
{
public:
    BMessage();
    BMessage(uint32 what);
    BMessage(const BMessage& other);
    BMessage& operator=(const BMessage& other);
    ~BMessage();

    status_t AddString(const char* name, const char* string);
    status_t FindString(const char* name, const char** string) const;
    status_t FindString(const char* name, int32 index, const char** string) const;
    status_t GetInfo(const char* name, type_code* type, int32* count) const;
    status_t GetInfo(
        type_code type, int32 index, const char** name, type_code* foundType, int32* count) const;
    int32    CountNames(type_code type) const;
    bool     IsEmpty() const { return fields.empty(); }
    status_t MakeEmpty();

    uint32 what;

private:
    struct Field
    {
        std::string              name;
        type_code                type;
        std::vector<std::string> values;
    };

    const Field* FindField(const char* name) const;

    std::vector<Field> fields;   // in the order they were added
};

#endif
