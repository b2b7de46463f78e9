// BMimeType: one type of the MIME database. The database is this layer's own: held in
// memory for the life of the process and shared by every BMimeType object. As with
// the kit, a setter installs a type that is not installed yet; a read of a type that
// is not installed, or of an attribute never set, fails with B_ENTRY_NOT_FOUND.
#ifndef BEOS_MIME_TYPE_H
#define BEOS_MIME_TYPE_H

#include <string>

#include "beos/StorageDefs.h"

class BBitmap;
class BMessage;

// Buffer size for a type, a signature or a description, the terminating zero included
// (240 bytes).
#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#endif

enum app_verb : uint32 {
    B_OPEN = 0,
};

enum icon_size : int32 {
    B_MINI_ICON = 16,
    B_LARGE_ICON = 32,
};

class BMimeType
{
public:
    BMimeType();
    BMimeType(const char* type);
    ~BMimeType();
    BMimeType(const BMimeType&) = delete;
    BMimeType& operator=(const BMimeType&) = delete;

    status_t    SetTo(const char* type);
    void        Unset();
    status_t    InitCheck() const;
    const char* Type() const;
    static bool IsValid(const char* type);

    status_t Install();
    status_t Delete();
    bool     IsInstalled() const;

    status_t GetPreferredApp(char* signature, app_verb verb = B_OPEN) const;
    status_t SetPreferredApp(const char* signature, app_verb verb = B_OPEN);
    status_t GetIcon(BBitmap* icon, icon_size which) const;
    status_t SetIcon(const BBitmap* icon, icon_size which);
    status_t GetFileExtensions(BMessage* extensions) const;
    status_t SetFileExtensions(const BMessage* extensions);
    status_t GetShortDescription(char* description) const;
    status_t SetShortDescription(const char* description);
    status_t GetLongDescription(char* description) const;
    status_t SetLongDescription(const char* description);

private:
    std::string type;
    status_t    initStatus;
};

#endif
