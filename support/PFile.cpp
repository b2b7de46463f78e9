// PFile over the platform's BFile. Every platform failure is converted with
// ConvertOSError and raised as a PFileException carrying the file's name; reads that
// run into the end of the file are never failures.
#include "support/PFile.h"

#include <climits>
#include <cstring>
#include <new>

#include "beos/Entry.h"
#include "beos/File.h"
#include "beos/NodeInfo.h"
#include "beos/Path.h"
#include "support/PException.h"

namespace {

const int32 kLineScratchBytes = 512;

// The BeOS storage flags for a PFile open mode.
uint32
PlatformOpenFlags(uint16 mode)
{
    uint32 flags;
    switch (mode & 7) {
        case PFile::pModeWrite: flags = B_WRITE_ONLY; break;
        case PFile::pModeReadWrite: flags = B_READ_WRITE; break;
        default: flags = B_READ_ONLY; break;
    }
    if ((mode & PFile::pModeCreate) != 0) {
        flags |= B_CREATE_FILE | B_ERASE_FILE;
        if ((mode & PFile::pModeNoTruncate) != 0)
            flags &= ~(uint32)B_ERASE_FILE;
    }
    if ((mode & PFile::pModeFailIfExists) != 0)
        flags |= B_FAIL_IF_EXISTS;
    return flags;
}

uint32
PlatformSeekMode(PFile::PSeekFlags from)
{
    switch (from) {
        case PFile::pSeekCurrent: return SEEK_CUR;
        case PFile::pSeekEnd: return SEEK_END;
        default: return SEEK_SET;
    }
}

}   // namespace

PFile::PFile() : open(false), eof(false), openFlags(0), file(nullptr) {}

PFile::PFile(PString name, uint16 openFlags) : open(false), eof(false), openFlags(0), file(nullptr)
{
    Open(name, openFlags);
}

PFile::~PFile() { PFile::Close(); }

void
PFile::Open(uint16 openFlags)
{
    Open(name, openFlags);
}

// Mend: a file that is still open is closed first instead of leaking its BFile.
void
PFile::Open(PString name, uint16 openFlags)
{
    Close();
    this->name = name;
    this->openFlags = openFlags;
    BFile* platformFile = new (std::nothrow) BFile;
    if (platformFile == nullptr)
        ThrowMemoryException();
    status_t error = platformFile->SetTo(this->name, PlatformOpenFlags(openFlags));
    if (error != B_OK) {
        delete platformFile;
        this->openFlags = 0;
        ThrowFileException(ConvertOSError(error), this->name);
    }
    file = platformFile;
    open = true;
    eof = false;
}

void
PFile::Close()
{
    if (open) {
        delete file;
        file = nullptr;
    }
    openFlags = 0;
    open = false;
}

bool
PFile::IsOpen() const
{
    return open;
}

// Mend: an operation on a closed PFile raises (B_NO_INIT converted) instead of
// following a null platform file.
static BFile*
OpenFile(BFile* file, const PString& name)
{
    if (file == nullptr)
        ThrowFileException(ConvertOSError(B_NO_INIT), name);
    return file;
}

// Mend: a negative count reads nothing (it is taken as 0).
int32
PFile::Read(void* buffer, int32 count)
{
    if (count < 0)
        count = 0;
    ssize_t result = OpenFile(file, name)->Read(buffer, (size_t)count);
    if (result < 0)
        ThrowFileException(ConvertOSError((uint32)result), name);
    eof = result == 0;
    return (int32)result;
}

int32
PFile::Write(const void* buffer, int32 count)
{
    if (count < 0)
        count = 0;
    ssize_t result = OpenFile(file, name)->Write(buffer, (size_t)count);
    if (result < 0)
        ThrowFileException(ConvertOSError((uint32)result), name);
    return (int32)result;
}

// #pragma mark - strings

int32
PFile::ReadString(char* buffer, int32 count)
{
    int32 got = Read(buffer, count < 0 ? 0 : count);
    buffer[got] = '\0';
    return got;
}

// Mend: when the file holds fewer bytes than the count, the string holds the bytes
// actually read (the rest of the buffer was left undefined).
PString
PFile::ReadString()
{
    int32   count = Read_L_UINT16();
    PString result;
    if (count == 0)
        return result;
    char* buffer = result.GetBuffer(count);
    int32 got;
    try {
        got = Read(buffer, count);
    } catch (...) {
        result.ReleaseBuffer(0);
        throw;
    }
    result.ReleaseBuffer(got);
    return result;
}

// Bytes, not characters, are counted, the reverse of ReadString(). Mend: a string
// longer than a 16-bit count can hold raises instead of writing a wrong count.
void
PFile::WriteString(PString string)
{
    int32 bytes = string.GetByteLength();
    if (bytes > 0xffff)
        ThrowFileException(P_ERR_BAD_ARGUMENT, name);
    Write_L_UINT16((uint16)bytes);
    Write((const char*)string, bytes);
}

// #pragma mark - typed reads

// Each typed read starts from zero and reads its width through the virtual Read, so the
// bytes past the end of the file read as zero and nothing is raised.
uint8
PFile::Read_UINT8()
{
    uint8 value = 0;
    Read(&value, 1);
    return value;
}

uint16
PFile::Read_L_UINT16()
{
    uint8 b[2] = { 0, 0 };
    Read(b, 2);
    return (uint16)(b[0] | b[1] << 8);
}

uint32
PFile::Read_L_UINT32()
{
    uint8 b[4] = { 0, 0, 0, 0 };
    Read(b, 4);
    return (uint32)b[0] | (uint32)b[1] << 8 | (uint32)b[2] << 16 | (uint32)b[3] << 24;
}

uint16
PFile::Read_B_UINT16()
{
    uint8 b[2] = { 0, 0 };
    Read(b, 2);
    return (uint16)(b[0] << 8 | b[1]);
}

uint32
PFile::Read_B_UINT32()
{
    uint8 b[4] = { 0, 0, 0, 0 };
    Read(b, 4);
    return (uint32)b[0] << 24 | (uint32)b[1] << 16 | (uint32)b[2] << 8 | (uint32)b[3];
}

void
PFile::ReadArray_L_UINT16s(uint16* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        values[i] = Read_L_UINT16();
}

void
PFile::ReadArray_L_UINT32s(uint32* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        values[i] = Read_L_UINT32();
}

void
PFile::ReadArray_B_UINT16s(uint16* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        values[i] = Read_B_UINT16();
}

void
PFile::ReadArray_B_UINT32s(uint32* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        values[i] = Read_B_UINT32();
}

// #pragma mark - typed writes

void
PFile::Write_UINT8(uint8 value)
{
    Write(&value, 1);
}

void
PFile::Write_L_UINT16(uint16 value)
{
    uint8 b[2] = { (uint8)value, (uint8)(value >> 8) };
    Write(b, 2);
}

void
PFile::Write_L_UINT32(uint32 value)
{
    uint8 b[4] = { (uint8)value, (uint8)(value >> 8), (uint8)(value >> 16), (uint8)(value >> 24) };
    Write(b, 4);
}

void
PFile::Write_B_UINT16(uint16 value)
{
    uint8 b[2] = { (uint8)(value >> 8), (uint8)value };
    Write(b, 2);
}

void
PFile::Write_B_UINT32(uint32 value)
{
    uint8 b[4] = { (uint8)(value >> 24), (uint8)(value >> 16), (uint8)(value >> 8), (uint8)value };
    Write(b, 4);
}

void
PFile::WriteArray_L_UINT16s(const uint16* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        Write_L_UINT16(values[i]);
}

void
PFile::WriteArray_L_UINT32s(const uint32* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        Write_L_UINT32(values[i]);
}

void
PFile::WriteArray_B_UINT16s(const uint16* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        Write_B_UINT16(values[i]);
}

void
PFile::WriteArray_B_UINT32s(const uint32* values, int32 count)
{
    for (int32 i = 0; i < count; i++)
        Write_B_UINT32(values[i]);
}

// #pragma mark - position and size

int32
PFile::Seek(int32 offset, PSeekFlags from)
{
    eof = false;
    off_t result = OpenFile(file, name)->Seek(offset, PlatformSeekMode(from));
    if (result < 0)
        ThrowFileException(ConvertOSError((uint32)result), name);
    return (int32)result;
}

int32
PFile::GetPosition()
{
    off_t result = OpenFile(file, name)->Position();
    if (result < 0)
        ThrowFileException(ConvertOSError((uint32)result), name);
    return (int32)result;
}

bool
PFile::IsEOF() const
{
    return eof;
}

int32
PFile::GetLength()
{
    off_t    size;
    status_t error = OpenFile(file, name)->GetSize(&size);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), name);
    return size > INT_MAX ? INT_MAX : (int32)size;
}

void
PFile::SetLength(int32 length)
{
    status_t error = OpenFile(file, name)->SetSize(length);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), name);
}

// #pragma mark - naming

PString
PFile::GetFileName()
{
    BEntry   entry(name);
    char     leaf[B_FILE_NAME_LENGTH];
    status_t error = entry.InitCheck();
    if (error == B_OK)
        error = entry.GetName(leaf);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), name);
    return PString(leaf);
}

PString
PFile::GetFilePath()
{
    BPath path(name);
    if (path.InitCheck() != B_OK)
        ThrowFileException(ConvertOSError(path.InitCheck()), name);
    PString full(path.Path());
    return full.Left(full.GetByteLength() - (int32)strlen(path.Leaf()));
}

PString
PFile::GetFullPath()
{
    BPath path(name);
    if (path.InitCheck() != B_OK)
        ThrowFileException(ConvertOSError(path.InitCheck()), name);
    return PString(path.Path());
}

PString
PFile::GetFileType()
{
    BNode     node(name);
    BNodeInfo info(&node);
    char      type[B_MIME_TYPE_LENGTH];
    status_t  error = info.InitCheck();
    if (error == B_OK)
        error = info.GetType(type);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), name);
    return PString(type);
}

void
PFile::SetFilePath(PString name)
{
    this->name = name;
}

void
PFile::SetFileType(PString type)
{
    BNode     node(name);
    BNodeInfo info(&node);
    status_t  error = info.InitCheck();
    if (error == B_OK)
        error = info.SetType(type);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), name);
}

// #pragma mark - lines

// Reads up to 512 bytes, cuts at the first newline or zero byte, and seeks back so the
// next read starts after it; one carriage return before the newline is dropped.
// Mend: near the end of the file a last line without a terminator (fewer than 512
// bytes read) is returned whole; only 512 bytes without a terminator raise "EOF
// reached.". The scan never looks beyond the bytes actually read.
PString
PFile::ReadLine()
{
    PString scratch;
    char*   buffer = scratch.GetBuffer(kLineScratchBytes);
    int32   got;
    try {
        got = Read(buffer, kLineScratchBytes);
    } catch (...) {
        scratch.ReleaseBuffer(0);
        throw;
    }
    int32 end = 0;
    while (end < got && buffer[end] != '\n' && buffer[end] != '\0')
        end++;
    if (end == kLineScratchBytes) {
        scratch.ReleaseBuffer(0);
        ThrowFileException(P_FILE_ERR_EOF, name);
    }
    int32 lineBytes = end;
    if (end < got) {
        if (buffer[end] == '\n' && end > 0 && buffer[end - 1] == '\r')
            lineBytes--;
        int32 unread = got - (end + 1);
        scratch.ReleaseBuffer(lineBytes);
        if (unread > 0)
            Seek(-unread, pSeekCurrent);
    } else {
        scratch.ReleaseBuffer(lineBytes);
    }
    return scratch;
}

void
PFile::WriteLine(PString line)
{
    Write((const char*)line, line.GetByteLength());
    uint8 newline = '\n';
    Write(&newline, 1);
}

// #pragma mark - static operations

void
PFile::Rename(PString from, PString to)
{
    BEntry   entry(from);
    status_t error = entry.InitCheck();
    if (error == B_OK)
        error = entry.Rename(to, false);
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), from);
}

void
PFile::Remove(PString path)
{
    BEntry   entry(path);
    status_t error = entry.InitCheck();
    if (error == B_OK)
        error = entry.Remove();
    if (error != B_OK)
        ThrowFileException(ConvertOSError(error), path);
}
