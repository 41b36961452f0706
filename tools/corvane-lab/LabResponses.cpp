// What the Master Server and each host answer, fault by fault.
#include "HostModel.h"
#include "LabServer.h"

namespace corvanelab {

namespace {

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        default:
            return "Unknown";
    }
}

}  // namespace

SharedText LabServer::Share(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

SharedText LabServer::ErrorPage(int status) {
    return Share("<html><head><title>" + std::to_string(status) + " " + Reason(status) +
                 "</title></head><body><h1>" + Reason(status) + "</h1></body></html>\n");
}

void LabServer::AnswerMaster(Connection& c) {
    switch (m_options.masterFault) {
        case MasterFault::NotFound:
            Respond(c, 404, "text/html", ErrorPage(404));
            break;
        case MasterFault::ServerError:
            Respond(c, 500, "text/html", ErrorPage(500));
            break;
        case MasterFault::Html:
            Respond(c, 200, "text/html", NotXmlPage());
            break;
        case MasterFault::Empty:
            Respond(c, 200, "text/plain", Share(""));
            break;
        case MasterFault::Truncate:
            Respond(c, 200, "text/plain", m_masterBody);
            c.sendLimit = c.out.front()->size() + m_masterBody->size() / 2;
            break;
        default:
            Respond(c, 200, "text/plain", m_masterBody);
    }
}

void LabServer::AnswerHost(Connection& c, const std::string& path) {
    const Site& site = m_hosts[c.site];
    auto normal = [&]() {
        HostModel model = BuildHostModel(m_options, c.site, site.address, site.port, site.fault);
        if (path == "/xml") {
            Respond(c, 200, "text/xml", Share(RenderStatusPage(model)));
        } else if (path == "/") {
            Respond(c, 200, "text/html", Share(RenderHomePage(model)));
        } else {
            Respond(c, 404, "text/html", ErrorPage(404));
        }
    };
    switch (site.fault) {
        case Fault::NotFound:
            Respond(c, 404, "text/html", ErrorPage(404));
            break;
        case Fault::ServerError:
            Respond(c, 500, "text/html", ErrorPage(500));
            break;
        case Fault::NotXml:
            Respond(c, 200, "text/html", NotXmlPage());
            break;
        case Fault::Truncate:
            normal();
            c.sendLimit = c.out.front()->size() + (c.out.size() > 1 ? c.out[1]->size() / 2 : 0);
            break;
        case Fault::HeadersClose:
            normal();
            c.sendLimit = c.out.front()->size();
            break;
        case Fault::StatusOnly:
            normal();
            c.sendLimit = c.out.front()->find("\r\n") + 2;
            break;
        case Fault::Trickle:
            normal();
            c.trickle = true;
            break;
        case Fault::Endless:
            Respond(c, 200, "text/xml", Share(EndlessStart()), false);
            c.endless = !c.headOnly;
            break;
        case Fault::DeepNest:
            Respond(c, 200, "text/xml", DeepNestPage(m_options.hostileCount));
            break;
        case Fault::Siblings:
            Respond(c, 200, "text/xml", SiblingsPage(m_options.hostileCount));
            break;
        case Fault::Binary:
            Respond(c, 200, "text/xml", Share(BinaryPage(m_options.seed, c.site)));
            break;
        case Fault::HighBytes: {
            HostModel model =
                BuildHostModel(m_options, c.site, site.address, site.port, site.fault);
            Respond(c, 200, "text/xml",
                    Share(HighBytesPage(m_options.seed, c.site, model.pageGuid2002,
                                        model.pageGuid2004)));
            break;
        }
        case Fault::RedirectLoop:
            Respond(c, 302, "text/html", ErrorPage(302), true,
                    "Location: http://" + site.address + ":" + std::to_string(site.port) + path +
                        "\r\n");
            break;
        default:
            normal();
    }
}

void LabServer::Respond(Connection& c, int status, const char* type, SharedText body,
                        bool withLength, const std::string& extraHeaders) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) +
                       "\r\nServer: Corvane\r\nContent-Type: " + type + "\r\n";
    if (withLength) {
        head += "Content-Length: " + std::to_string(body->size()) + "\r\n";
    }
    head += extraHeaders + "Connection: close\r\n\r\n";
    c.out.clear();
    c.outOffset = 0;
    c.out.push_back(Share(std::move(head)));
    if (!c.headOnly && !body->empty()) {
        c.out.push_back(std::move(body));
    }
}

}  // namespace corvanelab
