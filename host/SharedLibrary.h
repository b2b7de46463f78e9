// Libraries the host opens when a command first needs them. SDL (playing), libsndfile
// (sound files) and libsoxr (other rates) pull in some fifty further libraries between
// them; linked, they would be loaded by every run, a render to standard output included,
// and loading them costs more than rendering a short song.
#ifndef HOST_SHARED_LIBRARY_H
#define HOST_SHARED_LIBRARY_H

#include <string>

class SharedLibrary
{
public:
    explicit SharedLibrary(const char* soname) : soname(soname) {}
    // Never closed: audio threads of the library may outlive any scope of ours.
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // False, with `error` in the loader's words, when the library cannot be opened.
    bool Open(std::string& error);

    // Points `function` at the library's `name`; false, with `error` set, when the
    // library lacks it.
    template<typename Function>
    bool Find(Function*& function, const char* name, std::string& error)
    {
        function = reinterpret_cast<Function*>(Symbol(name, error));
        return function != nullptr;
    }

private:
    void* Symbol(const char* name, std::string& error);

    const char* soname;
    void*       handle = nullptr;
};

// One library's functions, opened and bound on the first call, for the whole process.
// `Functions` names its library in kSoname and points its members at the library's
// functions in Bind(library, error). Null, with `error` set, when that fails.
template<typename Functions>
const Functions*
LoadLibrary(std::string& error)
{
    static std::string      failure;
    static const Functions* functions = []() -> const Functions* {
        static SharedLibrary library(Functions::kSoname);
        static Functions     bound;
        return library.Open(failure) && bound.Bind(library, failure) ? &bound : nullptr;
    }();
    if (functions == nullptr)
        error = failure;
    return functions;
}

#endif
