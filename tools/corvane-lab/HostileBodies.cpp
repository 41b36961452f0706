#include "HostileBodies.h"

#include "Rng.h"

namespace corvanelab {

namespace {

constexpr const char* kProlog = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

std::string HighRun(Rng& rng, std::size_t low, std::size_t high) {
    std::string run;
    std::size_t length = rng.Between(low, high);
    for (std::size_t i = 0; i < length; ++i) {
        run += static_cast<char>(0x80 + rng.Below(0x80));
    }
    return run;
}

}  // namespace

SharedText NotXmlPage() {
    static const SharedText page = std::make_shared<const std::string>(
        "<!DOCTYPE html>\n<html>\n<head><title>Welcome</title></head>\n<body>\n"
        "<h1>It works!</h1>\n<p>This is the default web page for this server.</p>\n"
        "<p>The web server software is running but no content has been added, yet.</p>\n"
        "</body>\n</html>\n");
    return page;
}

SharedText DeepNestPage(std::size_t count) {
    static SharedText page;
    static std::size_t builtFor = 0;
    if (!page || builtFor != count) {
        auto text = std::make_shared<std::string>(kProlog);
        text->reserve(text->size() + count * 7 + 64);
        *text += "<Corvane>";
        for (std::size_t i = 0; i < count; ++i) {
            *text += "<a>";
        }
        for (std::size_t i = 0; i < count; ++i) {
            *text += "</a>";
        }
        *text += "</Corvane>\n";
        page = text;
        builtFor = count;
    }
    return page;
}

SharedText SiblingsPage(std::size_t count) {
    static SharedText page;
    static std::size_t builtFor = 0;
    if (!page || builtFor != count) {
        auto text = std::make_shared<std::string>(kProlog);
        text->reserve(text->size() + count * 17 + 256);
        *text +=
            "<Corvane><ServerName>Siblings</ServerName><Version>3.1</Version>"
            "<SessionName>A million players</SessionName><Players>";
        for (std::size_t i = 0; i < count; ++i) {
            *text += "<Player></Player>";
        }
        *text += "</Players></Corvane>\n";
        page = text;
        builtFor = count;
    }
    return page;
}

std::string BinaryPage(std::uint64_t seed, std::size_t hostIndex) {
    Rng rng = Rng::ForStream(seed, 0xB1A7000ULL + hostIndex);
    std::string garbage;
    constexpr std::size_t kSize = 64 * 1024;
    garbage.reserve(kSize);
    for (std::size_t i = 0; i < kSize; ++i) {
        std::uint64_t roll = rng.Below(16);
        garbage += roll == 0   ? '\0'
                   : roll == 1 ? '<'
                   : roll == 2 ? '&'
                               : static_cast<char>(rng.Below(256));
    }
    if (hostIndex % 2 == 0) {
        return garbage;
    }
    return std::string(kProlog) + "<Corvane><ServerName>" + garbage + "</ServerName></Corvane>\n";
}

std::string HighBytesPage(std::uint64_t seed, std::size_t hostIndex, const std::string& guid2002,
                          const std::string& guid2004) {
    Rng rng = Rng::ForStream(seed, 0x41670000ULL + hostIndex);
    std::string out = kProlog;
    out += HighRun(rng, 1, 20) + "\n<Corvane>" + HighRun(rng, 1, 8) + "\n";
    static constexpr const char* kFields[] = {
        "ServerName",    "ServerURL", "DirectXVersionRequired", "SessionName",  "PasswordRequired",
        "CurrentPilots", "MaxPilots", "CurrentObservers",       "MaxObservers", "SessionComments"};
    for (const char* name : kFields) {
        out += std::string("<") + name + ">" + HighRun(rng, 1, 60) + "</" + name + ">" +
               HighRun(rng, 0, 6) + "\n";
    }
    out += "<Version>3.1</Version>\n";
    out += "<SessionGUID2002>" + guid2002 + "</SessionGUID2002>\n";
    out += "<SessionGUID2004>" + guid2004 + "</SessionGUID2004>\n";
    std::string oddName = "X" + HighRun(rng, 2, 6);
    out += "<" + oddName + ">" + HighRun(rng, 1, 10) + "</" + oddName + ">\n";
    out += "<Players>" + HighRun(rng, 0, 4);
    for (int i = 0; i < 3; ++i) {
        out += "<Player>";
        for (const char* name : {"Name", "Type", "Aircraft", "NearAirport", "Status"}) {
            out += std::string("<") + name + ">" + HighRun(rng, 1, 30) + "</" + name + ">";
        }
        out += "</Player>" + HighRun(rng, 0, 4) + "\n";
    }
    out += "</Players>\n<FlightPlans><FlightPlan><PlayerName>" + HighRun(rng, 1, 20) +
           "</PlayerName><Plan>" + HighRun(rng, 1, 20) +
           "</Plan><StatusText>Filed</StatusText></FlightPlan></FlightPlans>\n";
    out += "</Corvane>" + HighRun(rng, 1, 20) + "\n";
    return out;
}

std::string EndlessStart() {
    return std::string(kProlog) +
           "<Corvane>\n<ServerName>Endless</ServerName>\n<Version>3.1</Version>\n"
           "<SessionName>Never ends</SessionName>\n<Players>\n";
}

SharedText EndlessChunk() {
    static const SharedText chunk = [] {
        std::string text;
        text.reserve(66 * 1024);
        for (int player = 1; text.size() < 64 * 1024; ++player) {
            text += "<Player><Name>Endless pilot " + std::to_string(player) +
                    "</Name><Type>Pilot</Type><Aircraft>Cessna Skyhawk 172SP</Aircraft>"
                    "</Player>\n";
        }
        return std::make_shared<const std::string>(std::move(text));
    }();
    return chunk;
}

}  // namespace corvanelab
