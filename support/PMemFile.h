// PMemFile: the PFile interface over a growable memory block.
#ifndef SUPPORT_PMEMFILE_H
#define SUPPORT_PMEMFILE_H

#include "support/PFile.h"

class PMemFile : public PFile
{
public:
    PMemFile(int32 growStep = 1024);
    PMemFile(uint8* buffer, int32 length, int32 growStep = 1024);
    virtual ~PMemFile();

    void   Attach(uint8* buffer, int32 length, int32 growStep);   // takes ownership
    uint8* Detach();                                              // gives it back

    virtual void    Open(uint16 openFlags) override;
    virtual void    Open(PString name, uint16 openFlags) override;
    virtual void    Close() override;
    virtual bool    IsOpen() const override;
    virtual int32   Read(void* buffer, int32 count) override;
    virtual int32   Write(const void* buffer, int32 count) override;
    virtual uint8   Read_UINT8() override;
    virtual uint16  Read_L_UINT16() override;
    virtual uint32  Read_L_UINT32() override;
    virtual uint16  Read_B_UINT16() override;
    virtual uint32  Read_B_UINT32() override;
    virtual int32   Seek(int32 offset, PSeekFlags from) override;
    virtual int32   GetPosition() override;
    virtual int32   GetLength() override;
    virtual void    SetLength(int32 length) override;
    virtual PString GetFileName() override;
    virtual PString GetFilePath() override;
    virtual PString GetFullPath() override;
    virtual PString GetFileType() override;
    virtual void    SetFilePath(PString name) override;
    virtual void    SetFileType(PString type) override;

private:
    void Grow(int32 needed);

    uint8* buffer;
    int32  capacity;
    int32  length;
    int32  position;
    int32  growStep;
};

#endif
