// PCacheFile: a PFile with a read cache of fixed size in front of the platform file.
#ifndef SUPPORT_PCACHEFILE_H
#define SUPPORT_PCACHEFILE_H

#include "support/PFile.h"

class PCacheFile : public PFile
{
public:
    PCacheFile(int32 cacheSize);
    PCacheFile(PString name, uint16 openFlags, int32 cacheSize);
    virtual ~PCacheFile();

    virtual void  Close() override;
    virtual int32 Read(void* buffer, int32 count) override;
    virtual int32 Write(const void* buffer, int32 count) override;
    virtual int32 Seek(int32 offset, PSeekFlags from) override;
    virtual int32 GetPosition() override;
    virtual int32 GetLength() override;
    virtual void  SetLength(int32 length) override;

private:
    void EmptyCache() { valid = index = 0; }

    uint8* cacheBuffer;
    int32  cacheSize;
    int32  valid;         // bytes of the buffer that hold file data
    int32  index;         // read position inside the buffer
    int32  bufferStart;   // file offset of the buffer's first byte
    int32  knownLength;   // -1 until asked while open
};

#endif
