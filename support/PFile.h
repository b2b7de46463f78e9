// PFile: a file with typed little- and big-endian reads over the platform's BFile.
// The virtual operations keep a fixed slot order shared by PCacheFile and PMemFile.
#ifndef SUPPORT_PFILE_H
#define SUPPORT_PFILE_H

#include "beos/SupportDefs.h"
#include "support/PString.h"

class BFile;

class PFile
{
public:
    // A fixed underlying type, so that any other value (taken as from the beginning)
    // is still a valid PSeekFlags.
    enum PSeekFlags : int32 { pSeekBegin = 0, pSeekCurrent = 1, pSeekEnd = 2 };

    // Open modes: the low three bits select the access, the others modify it.
    enum : uint16 {
        pModeRead = 0,
        pModeWrite = 1,
        pModeReadWrite = 2,
        pModeCreate = 0x100,       // create, truncating
        pModeNoTruncate = 0x200,   // with pModeCreate: keep the contents
        pModeFailIfExists = 0x400,
    };

    PFile();
    PFile(PString name, uint16 openFlags);
    PFile(const PFile&) = delete;
    PFile& operator=(const PFile&) = delete;

    virtual ~PFile();                                                          //  1
    virtual void    Open(uint16 openFlags);                                    //  2
    virtual void    Open(PString name, uint16 openFlags);                      //  3
    virtual void    Close();                                                   //  4
    virtual bool    IsOpen() const;                                            //  5
    virtual int32   Read(void* buffer, int32 count);                           //  6
    virtual int32   Write(const void* buffer, int32 count);                    //  7
    virtual int32   ReadString(char* buffer, int32 count);                     //  8
    virtual PString ReadString();                                              //  9
    virtual uint8   Read_UINT8();                                              // 10
    virtual uint16  Read_L_UINT16();                                           // 11
    virtual uint32  Read_L_UINT32();                                           // 12
    virtual void    ReadArray_L_UINT16s(uint16* values, int32 count);          // 13
    virtual void    ReadArray_L_UINT32s(uint32* values, int32 count);          // 14
    virtual uint16  Read_B_UINT16();                                           // 15
    virtual uint32  Read_B_UINT32();                                           // 16
    virtual void    ReadArray_B_UINT16s(uint16* values, int32 count);          // 17
    virtual void    ReadArray_B_UINT32s(uint32* values, int32 count);          // 18
    virtual void    WriteString(PString string);                               // 19
    virtual void    Write_UINT8(uint8 value);                                  // 20
    virtual void    Write_L_UINT16(uint16 value);                              // 21
    virtual void    Write_L_UINT32(uint32 value);                              // 22
    virtual void    WriteArray_L_UINT16s(const uint16* values, int32 count);   // 23
    virtual void    WriteArray_L_UINT32s(const uint32* values, int32 count);   // 24
    virtual void    Write_B_UINT16(uint16 value);                              // 25
    virtual void    Write_B_UINT32(uint32 value);                              // 26
    virtual void    WriteArray_B_UINT16s(const uint16* values, int32 count);   // 27
    virtual void    WriteArray_B_UINT32s(const uint32* values, int32 count);   // 28
    virtual int32   Seek(int32 offset, PSeekFlags from);                       // 29
    virtual int32   GetPosition();                                             // 30
    virtual bool    IsEOF() const;                                             // 31
    virtual int32   GetLength();                                               // 32
    virtual void    SetLength(int32 length);                                   // 33
    virtual PString GetFileName();                                             // 34
    virtual PString GetFilePath();                                             // 35
    virtual PString GetFullPath();                                             // 36
    virtual PString GetFileType();                                             // 37
    virtual void    SetFilePath(PString name);                                 // 38
    virtual void    SetFileType(PString type);                                 // 39
    virtual PString ReadLine();                                                // 40
    virtual void    WriteLine(PString line);                                   // 41

    int32 SeekToBegin() { return Seek(0, pSeekBegin); }
    int32 SeekToEnd() { return Seek(0, pSeekEnd); }

    static void Rename(PString from, PString to);
    static void Remove(PString path);

protected:
    bool    open;
    bool    eof;   // a raw read returned 0 bytes; cleared by every seek
    PString name;
    uint32  openFlags;
    BFile*  file;
};

#endif
