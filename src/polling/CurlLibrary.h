#pragma once

#include <curl/curl.h>

namespace perivant {

// The few libcurl functions the page fetch uses, from a library loaded on first use. Linked at
// build time, libcurl brings some two dozen TLS, Kerberos, LDAP and compression libraries into
// every start of the program and runs their set-up before the window can paint; loaded here, it
// costs that once, when the first page is fetched.
struct CurlLibrary {
    CURL* (*easyInit)() = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyPerform)(CURL*) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    void (*easyReset)(CURL*) = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;

    // The library, loaded and globally set up once whatever thread asks first; null when it
    // cannot be loaded, lacks one of the functions or is too old.
    static const CurlLibrary* Get();

    // The first release that knows every option the page fetch sets (7.87.0).
    static constexpr unsigned kOldestVersion = 0x075700;

    // Loads the library at path (a file name the dynamic loader looks up, or a path) into api
    // and sets it up globally; false when it cannot be used. Not thread-safe.
    static bool LoadFrom(const char* path, CurlLibrary& api);
};

}  // namespace perivant
