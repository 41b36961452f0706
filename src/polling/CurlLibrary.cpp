#include "polling/CurlLibrary.h"

#include <dlfcn.h>

#include "text/Trace.h"

namespace perivant {

namespace {

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

}  // namespace

bool CurlLibrary::LoadFrom(const char* path, CurlLibrary& api) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return false;
    }
    // Filled apart from api, which gets nothing from a library that is refused and closed.
    CurlLibrary loaded;
    curl_version_info_data* (*versionInfo)(CURLversion) = nullptr;
    CURLcode (*globalInit)(long) = nullptr;
    const bool complete = Resolve(library, "curl_version_info", versionInfo) &&
                          Resolve(library, "curl_global_init", globalInit) &&
                          Resolve(library, "curl_easy_init", loaded.easyInit) &&
                          Resolve(library, "curl_easy_setopt", loaded.easySetopt) &&
                          Resolve(library, "curl_easy_perform", loaded.easyPerform) &&
                          Resolve(library, "curl_easy_getinfo", loaded.easyGetinfo) &&
                          Resolve(library, "curl_easy_cleanup", loaded.easyCleanup) &&
                          Resolve(library, "curl_easy_reset", loaded.easyReset) &&
                          Resolve(library, "curl_slist_append", loaded.slistAppend) &&
                          Resolve(library, "curl_slist_free_all", loaded.slistFreeAll);
    if (!complete) {
        dlclose(library);
        return false;
    }
    // An older library takes the fetch's options without complaint and ignores those it does
    // not know: among them the ones that keep a fetch to HTTP and its redirects to HTTP(S).
    const curl_version_info_data* version = versionInfo(CURLVERSION_NOW);
    if (version == nullptr || version->version_num < kOldestVersion) {
        Trace(TraceWarning, "libcurl %s is too old; 7.87.0 or later is needed\n",
              version != nullptr && version->version != nullptr ? version->version : "?");
        dlclose(library);
        return false;
    }
    // The global set-up is not thread-safe: Get runs this inside its one-time initialisation.
    // The library stays loaded for the life of the process.
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return false;
    }
    api = loaded;
    return true;
}

const CurlLibrary* CurlLibrary::Get() {
    static CurlLibrary api;
    static const CurlLibrary* const library = LoadFrom("libcurl.so.4", api) ? &api : nullptr;
    return library;
}

}  // namespace perivant
