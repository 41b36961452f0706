#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "polling/RecordBudget.h"

namespace perivant {

// Error numbers that Get reports, in the numbering that users of the program know from its
// Windows origins; HttpErrorText gives the matching message text (without a line break).
inline constexpr int kHttpErrorInternal = 12004;
inline constexpr int kHttpErrorTimeout = 12002;
inline constexpr int kHttpErrorInvalidUrl = 12005;
inline constexpr int kHttpErrorNameNotResolved = 12007;
inline constexpr int kHttpErrorCannotConnect = 12029;
inline constexpr int kHttpErrorConnectionAborted = 12030;
inline constexpr int kHttpErrorInvalidServerResponse = 12152;
inline constexpr int kHttpErrorRedirectFailed = 12156;
inline constexpr int kHttpErrorSecureChannel = 12157;
inline constexpr int kHttpErrorInvalidCertificateAuthority = 12045;

// The message text for one of the numbers above; an empty text for any other number.
const char* HttpErrorText(int errorNumber);

// Fetches one page with a plain HTTP GET. Every call owns its own connection: one client may be
// used from one thread at a time, and any number of clients may run at once.
class HttpClient {
public:
    int ConnectTimeoutSeconds = 30;
    // Kept for the callers' sake: the request is a few hundred bytes that always fit in the
    // socket's send buffer, so sending never waits; the receive limit and the deadline cover it.
    int SendTimeoutSeconds = 30;
    // Longest wait for any response data (headers or body) once the connection stands.
    int ReceiveTimeoutSeconds = 30;
    // Caps so that a hostile server can neither exhaust memory nor hold a worker forever.
    size_t MaxBodyBytes = 16 * 1024 * 1024;
    // What the pages of all clients may hold together while they arrive (and, inside a
    // PageChargeScope, until it ends); a page that does not fit fails as one over the cap does.
    // Many hostile servers each sending pages near the cap to the most workers the options allow
    // would otherwise take gigabytes. The first UnchargedPageBytes of every page are free, so
    // that ordinary pages never fail for the others.
    RecordBudget* PagesInFlight = &SharedPagesInFlight();
    size_t UnchargedPageBytes = 256 * 1024;

    // The budget that every client shares unless told otherwise: 256 MB.
    static RecordBudget& SharedPagesInFlight();
    // Limit for the whole request, redirects included; 0 turns it off.
    int RequestDeadlineSeconds = 120;

    // GETs http://server:port/objectPath with the agent name as User-Agent, following at most
    // 10 redirects. Returns the HTTP status (200 only when the whole body was read), an error
    // number from the list above with its text in errorText, or -1 with a text when something
    // answered that is not an HTTP response. body is emptied and filled (every carriage return
    // dropped) only for 200; a failed read keeps what arrived. For other statuses body and
    // errorText are left as they were.
    int Get(const std::string& server, int port, const std::string& userName,
            const std::string& password, const std::string& objectPath,
            const std::string& agentName, std::string& body, std::string& errorText);
};

// While one lives on a thread, the pages that thread fetches keep their share of the budget
// until it ends or is released, not only while they arrive: a worker holds its page and a parsed
// copy of it until it has read them.
class PageChargeScope {
public:
    PageChargeScope();
    ~PageChargeScope();
    PageChargeScope(const PageChargeScope&) = delete;
    PageChargeScope& operator=(const PageChargeScope&) = delete;

    // Takes over bytes charged to budget when a scope lives on this thread; false otherwise.
    static bool Keep(RecordBudget& budget, size_t bytes);

    // Gives back what was kept so far.
    void Release();

private:
    PageChargeScope* m_outer;
    std::vector<std::pair<RecordBudget*, size_t>> m_kept;
};

// The URL that Get requests, or an empty text when the server name or port cannot be part of
// one. Bytes that would break or extend the URL are percent-encoded in the path.
std::string BuildRequestUrl(const std::string& server, int port, const std::string& objectPath);

}  // namespace perivant
