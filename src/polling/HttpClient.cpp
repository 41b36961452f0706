#include "polling/HttpClient.h"

#include "polling/CurlLibrary.h"
#include "text/CaseCompare.h"
#include "text/HexDigit.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include <sys/socket.h>

namespace perivant {

namespace {

using Clock = std::chrono::steady_clock;

bool IsAlphaNumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Characters that stand for themselves in a URL path and query (RFC 3986 pchar plus "/" and
// "?"). Everything else, "#" included, is encoded so that the server gets the whole path and
// nothing can end the request line or start a header.
bool IsPathCharacter(char c) {
    return IsAlphaNumeric(c) || std::strchr("-._~!$&'()*+,;=:@/?", c) != nullptr;
}

// A host name or dotted address goes into the URL as it is; an IPv6 address in brackets.
// Anything else (user info, a path, blanks) could redirect the request and is refused.
bool AppendHost(const std::string& server, std::string& url) {
    if (server.empty() || server.size() > 253) {
        return false;
    }
    const bool hostName = std::all_of(server.begin(), server.end(), [](char c) {
        return IsAlphaNumeric(c) || c == '-' || c == '.' || c == '_';
    });
    if (hostName) {
        url += server;
        return true;
    }
    std::string inner = server;
    if (inner.size() > 2 && inner.front() == '[' && inner.back() == ']') {
        inner = inner.substr(1, inner.size() - 2);
    }
    const bool ipv6 = inner.find(':') != std::string::npos &&
                      std::all_of(inner.begin(), inner.end(),
                                  [](char c) { return IsHexDigit(c) || c == ':' || c == '.'; });
    if (!ipv6) {
        return false;
    }
    url += '[' + inner + ']';
    return true;
}

// Everything one transfer's callbacks share.
struct Transfer {
    const CurlLibrary* api = nullptr;
    CURL* curl = nullptr;
    std::string* body = nullptr;
    size_t maxBodyBytes = 0;
    RecordBudget* pagesInFlight = nullptr;
    size_t unchargedBytes = 0;
    // Bytes charged to pagesInFlight, given back when the transfer ends or its scope does.
    size_t charged = 0;
    Clock::duration receiveLimit{};
    // Set when a connection stands and the request goes out; moved on by every byte received.
    bool waitingForData = false;
    Clock::time_point lastActivity{};
    bool bodyStarted = false;
    size_t bodyBytes = 0;
    bool idleTimedOut = false;
    bool bodyTooLarge = false;
    bool skippedStatus = false;
    // Whether the response whose headers are arriving names a place to go on to.
    bool hasLocation = false;
    // Set when a request goes out, cleared by its reply's status line: tells a reply that is
    // not HTTP after a redirect from a redirect to a refused scheme, which never connects.
    bool awaitingStatusLine = false;
};

long ResponseCode(const Transfer& transfer) {
    long code = 0;
    transfer.api->easyGetinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

int OnConnected(void* user, char*, char*, int, int) {
    auto* transfer = static_cast<Transfer*>(user);
    transfer->waitingForData = true;
    transfer->awaitingStatusLine = true;
    transfer->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

bool IsRedirectStatus(long code) {
    return code >= 300 && code < 400;
}

// A final status other than 200 is all the caller gets: the transfer ends with the headers,
// before any body is read. Redirects are left to be followed.
bool IsSkippedStatus(long code) {
    return code >= 200 && code != 200 && !IsRedirectStatus(code);
}

// libcurl follows a 3xx reply only when it names a non-blank Location.
bool IsLocationHeader(const char* data, size_t length) {
    constexpr std::string_view kName = "location:";
    const std::string_view line(data, length);
    return line.size() > kName.size() && StartsWithNoCase(line, kName) &&
           std::any_of(line.begin() + kName.size(), line.end(),
                       [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer->lastActivity = Clock::now();
    if (length >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
        transfer->hasLocation = false;
        transfer->awaitingStatusLine = false;
    } else if (IsLocationHeader(data, length)) {
        transfer->hasLocation = true;
    }
    const bool endOfHeaders =
        (length == 2 && data[0] == '\r' && data[1] == '\n') || (length == 1 && data[0] == '\n');
    if (endOfHeaders) {
        // A redirect that goes nowhere is a final status like any other: its body, which may
        // never end, is not read.
        const long code = ResponseCode(*transfer);
        if (IsSkippedStatus(code) || (IsRedirectStatus(code) && !transfer->hasLocation)) {
            transfer->skippedStatus = true;
            return 0;
        }
    }
    return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer->lastActivity = Clock::now();
    const long code = ResponseCode(*transfer);
    if (code != 200) {
        // The body of a redirect is of no interest.
        if (!IsSkippedStatus(code)) {
            return length;
        }
        transfer->skippedStatus = true;
        return 0;
    }
    if (!transfer->bodyStarted) {
        transfer->body->clear();
        transfer->bodyStarted = true;
    }
    const size_t uncharged = transfer->bodyBytes < transfer->unchargedBytes
                                 ? std::min(length, transfer->unchargedBytes - transfer->bodyBytes)
                                 : 0;
    if (length > transfer->maxBodyBytes - transfer->bodyBytes ||
        !transfer->pagesInFlight->TryCharge(length - uncharged)) {
        transfer->bodyTooLarge = true;
        return 0;
    }
    transfer->charged += length - uncharged;
    transfer->bodyBytes += length;
    // Carriage returns are dropped; the runs between them go in whole.
    const char* from = data;
    const char* const end = data + length;
    try {
        for (;;) {
            const auto* cr = static_cast<const char*>(std::memchr(from, '\r', end - from));
            transfer->body->append(from, cr != nullptr ? cr : end);
            if (cr == nullptr) {
                break;
            }
            from = cr + 1;
        }
    } catch (const std::bad_alloc&) {
        // No exception may cross libcurl's frames: a page that does not fit in memory ends the
        // transfer like one over the size limit.
        transfer->bodyTooLarge = true;
        return 0;
    }
    return length;
}

// Connections are made close-on-exec, so that a program started meanwhile (the web browser) does
// not hold them on; libcurl's own sockets lack that mark.
curl_socket_t OpenSocket(void*, curlsocktype, curl_sockaddr* address) {
    return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

// Runs about once a second while nothing arrives: the receive limit counts from the last byte,
// so a server that accepts and then says nothing is given up on as well.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->waitingForData &&
        Clock::now() - transfer->lastActivity > transfer->receiveLimit) {
        transfer->idleTimedOut = true;
        return 1;
    }
    return 0;
}

// Removes bytes that would end the User-Agent line and start another header.
std::string HeaderSafe(const std::string& text) {
    std::string safe;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            safe.push_back(c);
        }
    }
    return safe;
}

int ErrorNumberFor(CURLcode code, const Transfer& transfer) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return kHttpErrorTimeout;
        case CURLE_ABORTED_BY_CALLBACK:
            return transfer.idleTimedOut ? kHttpErrorTimeout : kHttpErrorInternal;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kHttpErrorNameNotResolved;
        case CURLE_COULDNT_CONNECT:
            return kHttpErrorCannotConnect;
        case CURLE_URL_MALFORMAT:
            return kHttpErrorInvalidUrl;
        case CURLE_WRITE_ERROR:
            return transfer.bodyTooLarge ? kHttpErrorConnectionAborted : kHttpErrorInternal;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            return kHttpErrorConnectionAborted;
        case CURLE_GOT_NOTHING:
            return kHttpErrorInvalidServerResponse;
        case CURLE_TOO_MANY_REDIRECTS:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return kHttpErrorRedirectFailed;
        case CURLE_PEER_FAILED_VERIFICATION:
            return kHttpErrorInvalidCertificateAuthority;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CLIENTCERT:
            return kHttpErrorSecureChannel;
        default:
            return kHttpErrorInternal;
    }
}

// True when the transfer failed because the reply did not read as HTTP at all: libcurl refuses
// a reply without a status line (HTTP/0.9) before any status is known.
bool IsNotHttpReply(CURLcode code, const Transfer& transfer) {
    if (code == CURLE_WEIRD_SERVER_REPLY) {
        return true;
    }
    // libcurl gives the same error for a redirect to a refused scheme; only a request that went
    // out and got no status line back, the first or one after a redirect, had a reply not HTTP.
    return code == CURLE_UNSUPPORTED_PROTOCOL &&
           (ResponseCode(transfer) == 0 || transfer.awaitingStatusLine);
}

}  // namespace

const char* HttpErrorText(int errorNumber) {
    switch (errorNumber) {
        case kHttpErrorTimeout:
            return "The operation timed out";
        case kHttpErrorInternal:
            return "An internal error occurred in the Microsoft Internet extensions";
        case kHttpErrorInvalidUrl:
            return "The URL is invalid";
        case kHttpErrorNameNotResolved:
            return "The server name or address could not be resolved";
        case kHttpErrorCannotConnect:
            return "A connection with the server could not be established";
        case kHttpErrorConnectionAborted:
            return "The connection with the server was terminated abnormally";
        case kHttpErrorInvalidServerResponse:
            return "The server returned an invalid or unrecognized response";
        case kHttpErrorRedirectFailed:
            return "The HTTP redirect request failed";
        case kHttpErrorSecureChannel:
            return "An error occurred in the secure channel support";
        case kHttpErrorInvalidCertificateAuthority:
            return "The certificate authority is invalid or incorrect";
        default:
            return "";
    }
}

std::string BuildRequestUrl(const std::string& server, int port, const std::string& objectPath) {
    // Port 0 asks for the service's default port.
    if (port == 0) {
        port = 80;
    }
    if (port < 1 || port > 65535) {
        return {};
    }
    std::string url = "http://";
    if (!AppendHost(server, url)) {
        return {};
    }
    url += ':' + std::to_string(port);
    if (objectPath.empty() || objectPath.front() != '/') {
        url += '/';
    }
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < objectPath.size(); ++i) {
        const char c = objectPath[i];
        const bool escape = c == '%' && i + 2 < objectPath.size() &&
                            IsHexDigit(objectPath[i + 1]) && IsHexDigit(objectPath[i + 2]);
        if (IsPathCharacter(c) || escape) {
            url += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

namespace {

// One easy handle per thread, reset before each request: making and ending a handle for every
// request also made and ended its internal multi handle, wake-up socket pair and caches.
struct ThreadCurlHandle {
    const CurlLibrary* api = nullptr;
    CURL* curl = nullptr;
    ~ThreadCurlHandle() {
        if (curl != nullptr) {
            api->easyCleanup(curl);
        }
    }
};
thread_local ThreadCurlHandle t_handle;

CURL* ThreadHandle(const CurlLibrary& api) {
    if (t_handle.curl == nullptr) {
        t_handle.api = &api;
        t_handle.curl = api.easyInit();
    } else {
        api.easyReset(t_handle.curl);
    }
    return t_handle.curl;
}

}  // namespace

RecordBudget& HttpClient::SharedPagesInFlight() {
    static RecordBudget budget(size_t{256} * 1024 * 1024);
    return budget;
}

namespace {
thread_local PageChargeScope* t_pageChargeScope = nullptr;
}  // namespace

PageChargeScope::PageChargeScope() : m_outer(t_pageChargeScope) {
    t_pageChargeScope = this;
}

PageChargeScope::~PageChargeScope() {
    Release();
    t_pageChargeScope = m_outer;
}

void PageChargeScope::Release() {
    for (const auto& [budget, bytes] : m_kept) {
        budget->Refund(bytes);
    }
    m_kept.clear();
}

bool PageChargeScope::Keep(RecordBudget& budget, size_t bytes) {
    if (t_pageChargeScope == nullptr) {
        return false;
    }
    t_pageChargeScope->m_kept.emplace_back(&budget, bytes);
    return true;
}

int HttpClient::Get(const std::string& server, int port, const std::string& userName,
                    const std::string& password, const std::string& objectPath,
                    const std::string& agentName, std::string& body, std::string& errorText) {
    const std::string url = BuildRequestUrl(server, port, objectPath);
    if (url.empty()) {
        errorText = HttpErrorText(kHttpErrorInvalidUrl);
        return kHttpErrorInvalidUrl;
    }
    const CurlLibrary* api = CurlLibrary::Get();
    CURL* curl = api != nullptr ? ThreadHandle(*api) : nullptr;
    if (curl == nullptr) {
        errorText = HttpErrorText(kHttpErrorInternal);
        return kHttpErrorInternal;
    }

    Transfer transfer;
    transfer.api = api;
    transfer.curl = curl;
    transfer.body = &body;
    transfer.maxBodyBytes = MaxBodyBytes;
    transfer.pagesInFlight = PagesInFlight;
    transfer.unchargedBytes = UnchargedPageBytes;
    transfer.receiveLimit = std::chrono::seconds(std::max(ReceiveTimeoutSeconds, 1));

    // An empty agent still sends the header, with nothing in it.
    const std::string agent = HeaderSafe(agentName);
    curl_slist* headers = nullptr;
    if (agent.empty()) {
        headers = api->slistAppend(headers, "User-Agent;");
    }

    api->easySetopt(curl, CURLOPT_URL, url.c_str());
    // As with a handle of its own: a new connection and a fresh name look-up every time.
    api->easySetopt(curl, CURLOPT_FORBID_REUSE, 1L);
    api->easySetopt(curl, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    api->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    api->easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    api->easySetopt(curl, CURLOPT_MAXREDIRS, 10L);
    api->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A name look-up still running when a time limit ends is left to finish on its own thread:
    // otherwise libcurl waits for it, as long as the system's resolver takes to give up (150 s
    // with a silent name server and long resolver settings), holding a worker, or the window
    // during the Master Server fetch, far past the limits.
    api->easySetopt(curl, CURLOPT_QUICK_EXIT, 1L);
    api->easySetopt(curl, CURLOPT_USERAGENT, agent.c_str());
    if (headers != nullptr) {
        api->easySetopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    if (!userName.empty() || !password.empty()) {
        api->easySetopt(curl, CURLOPT_USERNAME, userName.c_str());
        api->easySetopt(curl, CURLOPT_PASSWORD, password.c_str());
    }
    api->easySetopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(ConnectTimeoutSeconds));
    api->easySetopt(curl, CURLOPT_TIMEOUT, static_cast<long>(RequestDeadlineSeconds));
    api->easySetopt(curl, CURLOPT_OPENSOCKETFUNCTION, OpenSocket);
    api->easySetopt(curl, CURLOPT_PREREQFUNCTION, OnConnected);
    api->easySetopt(curl, CURLOPT_PREREQDATA, &transfer);
    api->easySetopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    api->easySetopt(curl, CURLOPT_HEADERDATA, &transfer);
    api->easySetopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    api->easySetopt(curl, CURLOPT_WRITEDATA, &transfer);
    api->easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
    api->easySetopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    api->easySetopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = api->easyPerform(curl);
    if (transfer.charged > 0 && !PageChargeScope::Keep(*PagesInFlight, transfer.charged)) {
        PagesInFlight->Refund(transfer.charged);
    }
    const long status = ResponseCode(transfer);
    int result;
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.skippedStatus)) {
        result = static_cast<int>(status);
        if (status == 200 && !transfer.bodyStarted) {
            body.clear();
        }
    } else if (IsNotHttpReply(code, transfer)) {
        result = -1;
        errorText = HttpErrorText(kHttpErrorInvalidServerResponse);
    } else {
        if (status == 200 && !transfer.bodyStarted) {
            body.clear();
        }
        result = ErrorNumberFor(code, transfer);
        errorText = HttpErrorText(result);
    }
    api->slistFreeAll(headers);
    return result;
}

}  // namespace perivant
