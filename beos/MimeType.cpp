#include "beos/MimeType.h"

#include <dlfcn.h>

#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "beos/Bitmap.h"
#include "beos/Message.h"

namespace {

struct MimeEntry
{
    std::map<uint32, std::string> preferredApps;   // by verb
    std::vector<uint8>            miniIcon;
    std::vector<uint8>            largeIcon;
    std::vector<std::string>      extensions;
    std::string                   shortDescription;
    std::string                   longDescription;
};

// Types compare without regard to case, so the key is the lower-case form.
struct MimeDatabase
{
    std::mutex                       lock;
    std::map<std::string, MimeEntry> types;
};

// A program that loads add-ons carrying their own copy of this layer can offer one
// database to all of them: it exports zw_mime_database_slot, returning the address of a
// pointer that the first copy to ask fills. Without it each copy keeps its own.
typedef void** (*DatabaseSlot)();

MimeDatabase&
Database()
{
    static MimeDatabase* database = [] {
        DatabaseSlot slot =
            reinterpret_cast<DatabaseSlot>(dlsym(RTLD_DEFAULT, "zw_mime_database_slot"));
        // Our own one goes with the add-on when it is unloaded; a shared one outlives it.
        static MimeDatabase own;
        if (slot == nullptr)
            return &own;
        void** shared = slot();
        if (*shared == nullptr)
            *shared = new MimeDatabase;
        return static_cast<MimeDatabase*>(*shared);
    }();
    return *database;
}

std::string
Key(const std::string& type)
{
    std::string key = type;
    for (char& c : key)
        c = (char)tolower((unsigned char)c);
    return key;
}

bool
IsTokenChar(char c)
{
    return c > ' ' && c < 127 && strchr("/<>@,;:\"()[]?=\\", c) == nullptr;
}

// Copies a stored text into a caller's buffer of B_MIME_TYPE_LENGTH bytes.
status_t
CopyOut(const std::string& value, char* buffer)
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (value.empty())
        return B_ENTRY_NOT_FOUND;
    strncpy(buffer, value.c_str(), B_MIME_TYPE_LENGTH - 1);
    buffer[B_MIME_TYPE_LENGTH - 1] = '\0';
    return B_OK;
}

bool
FitsBuffer(const char* text)
{
    return strlen(text) < (size_t)B_MIME_TYPE_LENGTH;
}

bool
IsIcon(const BBitmap* icon, icon_size which)
{
    BRect expected(0, 0, (float)which - 1, (float)which - 1);
    return icon->InitCheck() == B_OK && icon->Bounds() == expected && icon->ColorSpace() == B_CMAP8;
}

template<class Reader>
status_t
ReadEntry(status_t initStatus, const std::string& type, Reader read)
{
    if (initStatus != B_OK)
        return B_NO_INIT;
    MimeDatabase&               db = Database();
    std::lock_guard<std::mutex> guard(db.lock);
    auto                        found = db.types.find(Key(type));
    if (found == db.types.end())
        return B_ENTRY_NOT_FOUND;
    return read(found->second);
}

// Installs the type first when it is not installed yet.
template<class Writer>
status_t
WriteEntry(status_t initStatus, const std::string& type, Writer write)
{
    if (initStatus != B_OK)
        return B_NO_INIT;
    MimeDatabase&               db = Database();
    std::lock_guard<std::mutex> guard(db.lock);
    write(db.types[Key(type)]);
    return B_OK;
}

}   // namespace


BMimeType::BMimeType() : initStatus(B_NO_INIT) {}


BMimeType::BMimeType(const char* mimeType) : initStatus(B_NO_INIT) { SetTo(mimeType); }


BMimeType::~BMimeType() = default;


bool
BMimeType::IsValid(const char* mimeType)
{
    if (mimeType == nullptr || !FitsBuffer(mimeType))
        return false;
    const char* slash = strchr(mimeType, '/');
    size_t      superLength = slash != nullptr ? (size_t)(slash - mimeType) : strlen(mimeType);
    if (superLength == 0 || (slash != nullptr && slash[1] == '\0'))
        return false;
    for (const char* c = mimeType; *c != '\0'; c++) {
        if (c != slash && !IsTokenChar(*c))
            return false;
    }
    return true;
}


status_t
BMimeType::SetTo(const char* mimeType)
{
    if (!IsValid(mimeType)) {
        Unset();
        initStatus = B_BAD_VALUE;
        return initStatus;
    }
    type = mimeType;
    initStatus = B_OK;
    return B_OK;
}


void
BMimeType::Unset()
{
    type.clear();
    initStatus = B_NO_INIT;
}


status_t
BMimeType::InitCheck() const
{
    return initStatus;
}


const char*
BMimeType::Type() const
{
    return initStatus == B_OK ? type.c_str() : nullptr;
}


status_t
BMimeType::Install()
{
    if (initStatus != B_OK)
        return B_NO_INIT;
    MimeDatabase&               db = Database();
    std::lock_guard<std::mutex> guard(db.lock);
    return db.types.emplace(Key(type), MimeEntry()).second ? B_OK : B_FILE_EXISTS;
}


status_t
BMimeType::Delete()
{
    if (initStatus != B_OK)
        return B_NO_INIT;
    MimeDatabase&               db = Database();
    std::lock_guard<std::mutex> guard(db.lock);
    return db.types.erase(Key(type)) != 0 ? B_OK : B_ENTRY_NOT_FOUND;
}


bool
BMimeType::IsInstalled() const
{
    if (initStatus != B_OK)
        return false;
    MimeDatabase&               db = Database();
    std::lock_guard<std::mutex> guard(db.lock);
    return db.types.count(Key(type)) != 0;
}


status_t
BMimeType::GetPreferredApp(char* signature, app_verb verb) const
{
    return ReadEntry(initStatus, type, [&](const MimeEntry& entry) {
        auto found = entry.preferredApps.find(verb);
        return CopyOut(found != entry.preferredApps.end() ? found->second : "", signature);
    });
}


// A null signature removes the preferred application for the verb.
status_t
BMimeType::SetPreferredApp(const char* signature, app_verb verb)
{
    if (signature != nullptr && !IsValid(signature))
        return B_BAD_VALUE;
    return WriteEntry(initStatus, type, [&](MimeEntry& entry) {
        if (signature == nullptr)
            entry.preferredApps.erase(verb);
        else
            entry.preferredApps[verb] = signature;
    });
}


status_t
BMimeType::GetIcon(BBitmap* icon, icon_size which) const
{
    if (icon == nullptr || !IsIcon(icon, which))
        return B_BAD_VALUE;
    return ReadEntry(initStatus, type, [&](const MimeEntry& entry) {
        const std::vector<uint8>& bits = which == B_MINI_ICON ? entry.miniIcon : entry.largeIcon;
        if (bits.empty())
            return (status_t)B_ENTRY_NOT_FOUND;
        icon->SetBits(bits.data(), (int32)bits.size(), 0, B_CMAP8);
        return (status_t)B_OK;
    });
}


// A null icon removes the icon of that size.
status_t
BMimeType::SetIcon(const BBitmap* icon, icon_size which)
{
    if (which != B_MINI_ICON && which != B_LARGE_ICON)
        return B_BAD_VALUE;
    if (icon != nullptr && !IsIcon(icon, which))
        return B_BAD_VALUE;
    return WriteEntry(initStatus, type, [&](MimeEntry& entry) {
        std::vector<uint8>& bits = which == B_MINI_ICON ? entry.miniIcon : entry.largeIcon;
        if (icon == nullptr) {
            bits.clear();
            return;
        }
        const uint8* data = (const uint8*)icon->Bits();
        bits.assign(data, data + icon->BitsLength());
    });
}


// Fills the message with one string field "extensions" per extension.
status_t
BMimeType::GetFileExtensions(BMessage* extensions) const
{
    if (extensions == nullptr)
        return B_BAD_VALUE;
    return ReadEntry(initStatus, type, [&](const MimeEntry& entry) {
        extensions->MakeEmpty();
        for (const std::string& extension : entry.extensions)
            extensions->AddString("extensions", extension.c_str());
        return (status_t)B_OK;
    });
}


// Takes the string fields "extensions" of the message; a null message removes them all.
status_t
BMimeType::SetFileExtensions(const BMessage* extensions)
{
    std::vector<std::string> list;
    const char*              extension;
    for (int32 i = 0;
         extensions != nullptr && extensions->FindString("extensions", i, &extension) == B_OK;
         i++) {
        if (!FitsBuffer(extension))
            return B_BAD_VALUE;
        list.emplace_back(extension);
    }
    return WriteEntry(initStatus, type, [&](MimeEntry& entry) { entry.extensions.swap(list); });
}


status_t
BMimeType::GetShortDescription(char* description) const
{
    return ReadEntry(initStatus, type,
        [&](const MimeEntry& entry) { return CopyOut(entry.shortDescription, description); });
}


status_t
BMimeType::SetShortDescription(const char* description)
{
    if (description == nullptr || !FitsBuffer(description))
        return B_BAD_VALUE;
    return WriteEntry(
        initStatus, type, [&](MimeEntry& entry) { entry.shortDescription = description; });
}


status_t
BMimeType::GetLongDescription(char* description) const
{
    return ReadEntry(initStatus, type,
        [&](const MimeEntry& entry) { return CopyOut(entry.longDescription, description); });
}


status_t
BMimeType::SetLongDescription(const char* description)
{
    if (description == nullptr || !FitsBuffer(description))
        return B_BAD_VALUE;
    return WriteEntry(
        initStatus, type, [&](MimeEntry& entry) { entry.longDescription = description; });
}
