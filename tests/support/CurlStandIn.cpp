// A stand-in for libcurl with every function the program loads, doing nothing, that reports the
// version a test sets: for the checks made when the library is loaded.
#include <curl/curl.h>

#include <cstdio>

extern "C" {

__attribute__((visibility("default"))) unsigned stand_in_version_num = 0x075100;

__attribute__((visibility("default"))) curl_version_info_data* curl_version_info(CURLversion) {
    static curl_version_info_data data{};
    static char text[16];
    const unsigned v = stand_in_version_num;
    data.version_num = v;
    std::snprintf(text, sizeof text, "%u.%u.%u", (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    data.version = text;
    return &data;
}

__attribute__((visibility("default"))) CURLcode curl_global_init(long) {
    return CURLE_OK;
}
__attribute__((visibility("default"))) CURL* curl_easy_init() {
    return nullptr;
}
__attribute__((visibility("default"))) CURLcode curl_easy_setopt(CURL*, CURLoption, ...) {
    return CURLE_UNKNOWN_OPTION;
}
__attribute__((visibility("default"))) CURLcode curl_easy_perform(CURL*) {
    return CURLE_FAILED_INIT;
}
__attribute__((visibility("default"))) CURLcode curl_easy_getinfo(CURL*, CURLINFO, ...) {
    return CURLE_UNKNOWN_OPTION;
}
__attribute__((visibility("default"))) void curl_easy_cleanup(CURL*) {}
__attribute__((visibility("default"))) void curl_easy_reset(CURL*) {}
__attribute__((visibility("default"))) curl_slist* curl_slist_append(curl_slist*, const char*) {
    return nullptr;
}
__attribute__((visibility("default"))) void curl_slist_free_all(curl_slist*) {}
}
