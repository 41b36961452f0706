#include "polling/CurlLibrary.h"

#include <dlfcn.h>

namespace perivant {

namespace {

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

CurlLibrary* Load() {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return nullptr;
    }
    static CurlLibrary api;
    CURLcode (*globalInit)(long) = nullptr;
    const bool complete = Resolve(library, "curl_global_init", globalInit) &&
                          Resolve(library, "curl_easy_init", api.easyInit) &&
                          Resolve(library, "curl_easy_setopt", api.easySetopt) &&
                          Resolve(library, "curl_easy_perform", api.easyPerform) &&
                          Resolve(library, "curl_easy_getinfo", api.easyGetinfo) &&
                          Resolve(library, "curl_easy_cleanup", api.easyCleanup) &&
                          Resolve(library, "curl_easy_reset", api.easyReset) &&
                          Resolve(library, "curl_slist_append", api.slistAppend) &&
                          Resolve(library, "curl_slist_free_all", api.slistFreeAll);
    // The global set-up is not thread-safe: it runs here, inside the one-time initialisation.
    if (!complete || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return nullptr;
    }
    // The library stays loaded for the life of the process.
    return &api;
}

}  // namespace

const CurlLibrary* CurlLibrary::Get() {
    static const CurlLibrary* const library = Load();
    return library;
}

}  // namespace perivant
