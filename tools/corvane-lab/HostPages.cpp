// Rendering of a host's status page and built-in home page.
#include <string>
#include <vector>

#include "HostModel.h"
#include "Rng.h"

namespace corvanelab {

namespace {

void Element(std::string& out, const char* indent, const char* name, const std::string& xml) {
    out += indent;
    out += '<';
    out += name;
    out += '>';
    out += xml;
    out += "</";
    out += name;
    out += ">\n";
}

}  // namespace

std::string RenderStatusPage(const HostModel& h) {
    Rng layout(h.layoutSeed);
    std::string out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
    out += "<!-- Corvane host status -->\n";
    out += h.extraElements ? "<Corvane version=\"" + h.version.xml + "\">\n" : "<Corvane>\n";

    struct Field {
        const char* name;
        std::string xml;
    };
    std::vector<Field> fields{
        {"ServerName", h.serverName.xml},
        {"ServerURL", h.serverUrl.xml},
        {"Version", h.version.xml},
        {"DirectXVersionRequired", h.directXRequired.xml},
        {"SessionName", h.sessionName.xml},
        {"PasswordRequired", h.password.xml},
        {"CurrentPilots", h.currentPilots.xml},
        {"MaxPilots", h.maxPilots.xml},
        {"CurrentObservers", h.currentObservers.xml},
        {"MaxObservers", h.maxObservers.xml},
        {"SessionComments", h.comments.xml},
    };
    if (h.legacy) {
        fields.push_back({"SessionGUID", h.pageGuid2002});
    } else {
        fields.push_back({"SessionGUID2002", h.pageGuid2002});
        fields.push_back({"SessionGUID2004", h.pageGuid2004});
    }
    if (h.extraElements) {
        fields.push_back({"Uptime", "3d 04:12"});
        fields.push_back({"HostProgram", "Corvane " + h.version.xml});
    }
    if (h.shuffleFields) {
        layout.Shuffle(fields);
    }
    for (const auto& field : fields) {
        Element(out, "  ", field.name, field.xml);
        if (h.extraElements && layout.Percent(10)) {
            out += "  <!-- <ServerName>not this one</ServerName> -->\n";
        }
    }

    if (!h.players.empty() || !h.omitEmptyLists) {
        out += "  <Players>\n";
        std::vector<std::size_t> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        for (std::size_t i = 0; i < h.players.size(); ++i) {
            if (h.shufflePlayerFields) {
                layout.Shuffle(order);
            }
            out += h.extraElements ? "    <Player id=\"" + std::to_string(i + 1) + "\">\n"
                                   : "    <Player>\n";
            for (std::size_t f : order) {
                Element(out, "      ", kPlayerFields[f], h.players[i].fields[f].xml);
            }
            out += "    </Player>\n";
        }
        out += "  </Players>\n";
    }
    if (!h.plans.empty() || !h.omitEmptyLists) {
        out += "  <FlightPlans>\n";
        for (const auto& plan : h.plans) {
            out += "    <FlightPlan>\n";
            for (std::size_t f = 0; f < plan.fields.size(); ++f) {
                Element(out, "      ", kFlightPlanFields[f], plan.fields[f].xml);
            }
            out += "    </FlightPlan>\n";
        }
        out += "  </FlightPlans>\n";
    }
    out += "</Corvane>\n";

    if (h.crlf) {
        std::string converted;
        converted.reserve(out.size() + out.size() / 16);
        for (char c : out) {
            if (c == '\n') {
                converted += '\r';
            }
            converted += c;
        }
        out.swap(converted);
    }
    return out;
}

std::string RenderHomePage(const HostModel& h) {
    auto show = [](const FieldText& text) { return EscapeXml(TrimBlanks(text.decoded)); };
    return "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\">"
           "<title>Corvane host</title></head><body>\n<h1>" +
           show(h.serverName) + "</h1>\n<p>Session: " + show(h.sessionName) +
           "</p>\n<p>Corvane version " + show(h.version) + ", " + show(h.currentPilots) +
           " pilots, " + show(h.currentObservers) + " observers.</p>\n" +
           "<p><a href=\"/xml\">Status page</a></p>\n</body></html>\n";
}

}  // namespace corvanelab
