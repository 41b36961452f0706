#include "support/TurkishLocale.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace perivant::testing {

namespace {

constexpr const char* kName = "tr_TR.ISO-8859-9";

}  // namespace

TurkishLocale::TurkishLocale() {
    char folder[] = "/tmp/perivant-locale-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        m_problem = "cannot make a folder for the locale";
        return;
    }
    m_folder = folder;
    const std::string command =
        "localedef -i tr_TR -f ISO-8859-9 '" + m_folder + "/" + kName + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        m_problem = "localedef could not make " + std::string(kName) + " (package locales)";
        return;
    }
    ::setenv("LOCPATH", m_folder.c_str(), 1);
    if (std::setlocale(LC_ALL, kName) == nullptr) {
        m_problem = std::string("setlocale refused ") + kName;
    } else if (std::tolower('I') == 'i') {
        m_problem = "the locale lowers I to i like any other";
    }
}

TurkishLocale::~TurkishLocale() {
    ::unsetenv("LOCPATH");
    std::setlocale(LC_ALL, "C");
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

}  // namespace perivant::testing
