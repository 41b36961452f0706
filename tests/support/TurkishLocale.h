#pragma once

#include <string>

namespace perivant::testing {

// Switches the process to a Turkish locale for the life of the object, as a user's environment
// does through Qt at start-up. There the C library's case functions turn "I" into a dotless i
// (or leave it), so code that leans on them for ASCII keywords fails. The locale is compiled
// into a folder of the test's own with localedef (Debian's locales package), so the machine
// need not have it. Not thread-safe: make it before any thread that reads the locale starts.
class TurkishLocale {
public:
    TurkishLocale();
    ~TurkishLocale();
    TurkishLocale(const TurkishLocale&) = delete;
    TurkishLocale& operator=(const TurkishLocale&) = delete;

    // Empty when the locale is in force and lowers "I" to something other than "i".
    const std::string& Problem() const { return m_problem; }

private:
    std::string m_folder;
    std::string m_problem;
};

}  // namespace perivant::testing
