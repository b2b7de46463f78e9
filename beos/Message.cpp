#include "beos/Message.h"

BMessage::BMessage() : what(0) {}


BMessage::BMessage(uint32 command) : what(command) {}


BMessage::BMessage(const BMessage& other) = default;
BMessage& BMessage::operator=(const BMessage& other) = default;
BMessage::~BMessage() = default;


const BMessage::Field*
BMessage::FindField(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const Field& field : fields) {
        if (field.name == name)
            return &field;
    }
    return nullptr;
}


status_t
BMessage::AddString(const char* name, const char* string)
{
    if (name == nullptr || string == nullptr)
        return B_BAD_VALUE;
    Field* field = const_cast<Field*>(FindField(name));
    if (field == nullptr) {
        fields.push_back(Field { name, B_STRING_TYPE, {} });
        field = &fields.back();
    }
    field->values.emplace_back(string);
    return B_OK;
}


status_t
BMessage::FindString(const char* name, const char** string) const
{
    return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const Field* field = FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (index < 0 || index >= (int32)field->values.size())
        return B_BAD_INDEX;
    *string = field->values[index].c_str();
    return B_OK;
}


status_t
BMessage::GetInfo(const char* name, type_code* type, int32* count) const
{
    const Field* field = FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (type != nullptr)
        *type = field->type;
    if (count != nullptr)
        *count = (int32)field->values.size();
    return B_OK;
}


status_t
BMessage::GetInfo(
    type_code type, int32 index, const char** name, type_code* foundType, int32* count) const
{
    if (index < 0)
        return B_BAD_INDEX;
    for (const Field& field : fields) {
        if (type != B_ANY_TYPE && field.type != type)
            continue;
        if (index-- > 0)
            continue;
        if (name != nullptr)
            *name = field.name.c_str();
        if (foundType != nullptr)
            *foundType = field.type;
        if (count != nullptr)
            *count = (int32)field.values.size();
        return B_OK;
    }
    return B_BAD_INDEX;
}


int32
BMessage::CountNames(type_code type) const
{
    int32 count = 0;
    for (const Field& field : fields) {
        if (type == B_ANY_TYPE || field.type == type)
            count++;
    }
    return count;
}


status_t
BMessage::MakeEmpty()
{
    fields.clear();
    return B_OK;
}
