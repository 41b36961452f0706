#include "MasterList.h"

#include "Rng.h"

namespace corvanelab {

namespace {

// Lines the client must skip: comments, blank lines, unknown keywords, and known keywords
// with too few fields. Every address in them is a loopback one on a closed port, so a client
// that wrongly queries one still stays on this machine.
std::string JunkLine(Rng& rng, std::size_t number) {
    switch (rng.Below(12)) {
        case 0:
            return "# padding line " + std::to_string(number);
        case 1:
            return "";
        case 2:
            return "   ";
        case 3:
            return "Motd|Welcome|to the lab";
        case 4:
            return "Server|127.0.0.1|9|00000000-0000-0000-00-00-00-00-00-00-00-00";
        case 5:
            return "News|" + std::to_string(number);
        case 6:
            return "Version|99.0|http://127.0.0.1:9/";
        case 7:
            return "ErrorMsg";
        case 8:
            return "ReplaceMaster";
        case 9:
            return "Serverx|127.0.0.1|9||";
        case 10:
            return "|Server|127.0.0.1|9||";
        default:
            return "#Server|127.0.0.1|9||";
    }
}

}  // namespace

std::string BuildMasterList(const LabOptions& o, const std::vector<ListedHost>& hosts) {
    std::vector<std::string> lines;
    lines.push_back("CorvaneServerList");
    lines.push_back("# corvane-lab master list, seed " + std::to_string(o.seed) + ", " +
                    std::to_string(hosts.size()) + " hosts");

    std::vector<std::string> notices;
    for (const auto& line : o.replaceMasters) {
        notices.push_back("ReplaceMaster|" + line);
    }
    for (const auto& line : o.versionLines) {
        notices.push_back("Version|" + line);
    }
    for (const auto& line : o.newsLines) {
        notices.push_back("News|" + line);
    }
    for (const auto& line : o.errorMessages) {
        notices.push_back("ErrorMsg|" + line);
    }

    if (o.masterOnlyComments) {
        for (std::size_t i = 0; i < 3 + o.masterLines; ++i) {
            lines.push_back("# no servers, comment " + std::to_string(i + 1));
        }
    } else {
        if (!o.noticesLast) {
            lines.insert(lines.end(), notices.begin(), notices.end());
        }
        if (o.masterLongLines) {
            constexpr std::size_t kMegabyte = 1024 * 1024;
            lines.push_back("# " + std::string(kMegabyte, 'x'));
            lines.push_back("Motd|" + std::string(kMegabyte, 'y'));
            lines.push_back(std::string(kMegabyte, '|'));
        }
        Rng rng = Rng::ForStream(o.seed, 0x3A57E2);
        std::size_t junkLeft = o.masterLines;
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            // Spread the junk evenly among the Server lines.
            std::size_t due = hosts.empty() ? 0 : junkLeft / (hosts.size() - i);
            for (std::size_t k = 0; k < due; ++k, --junkLeft) {
                lines.push_back(JunkLine(rng, o.masterLines - junkLeft));
            }
            const ListedHost& h = hosts[i];
            lines.push_back("Server|" + h.address + "|" + std::to_string(h.port) + "|" +
                            h.guid2002 + "|" + h.guid2004);
        }
        while (junkLeft > 0) {
            lines.push_back(JunkLine(rng, o.masterLines - junkLeft));
            --junkLeft;
        }
        if (o.noticesLast) {
            lines.insert(lines.end(), notices.begin(), notices.end());
        }
    }

    std::string body;
    const char* end = o.masterCrlf ? "\r\n" : "\n";
    for (const auto& line : lines) {
        body += line;
        body += end;
    }
    return body;
}

}  // namespace corvanelab
