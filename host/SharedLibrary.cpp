#include "host/SharedLibrary.h"

#include <dlfcn.h>

bool
SharedLibrary::Open(std::string& error)
{
    if (handle == nullptr)
        handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        error = dlerror();
    return handle != nullptr;
}

void*
SharedLibrary::Symbol(const char* name, std::string& error)
{
    void* symbol = handle != nullptr ? dlsym(handle, name) : nullptr;
    if (symbol == nullptr)
        error = std::string(soname) + " has no " + name;
    return symbol;
}
