// Writes the fuzz targets' seed corpora: small, realistic inputs of each kind, made here from
// the program's own writers and test helpers so that every seed is reproducible.
//
// Usage: fuzz_make_seeds <corpus directory>   (writes <dir>/<target>/<seed>)

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "TestPeImage.h"
#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "app/QtProfileStore.h"
#include "env/OwnVersionInfo.h"
#include "env/VersionResourceWriter.h"

using namespace perivant;
namespace fs = std::filesystem;

namespace {

fs::path g_root;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path dir = g_root / target;
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.good()) {
        std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
        std::exit(1);
    }
}

std::string Bytes(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

const char kGuid[] = "6B29FC40-CA47-1067-B31D-00-DD-01-06-62-DA-00-01";
const char kNull[] = "00000000-0000-0000-00-00-00-00-00-00-00-00";

std::string FullPage() {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
               "<Corvane>\r\n"
               "  <ServerName>  Alpine Flyers &amp;#039;Club&amp;#039;  </ServerName>\r\n"
               "  <ServerURL>http://alpine.example/</ServerURL>\r\n"
               "  <Version>3.1</Version>\r\n"
               "  <DirectXVersionRequired>9.0c</DirectXVersionRequired>\r\n"
               "  <SessionName>Evening hops LSZH &amp;degree;</SessionName>\r\n"
               "  <PasswordRequired>Required</PasswordRequired>\r\n"
               "  <CurrentPilots>2</CurrentPilots>\r\n"
               "  <MaxPilots>Unlimited</MaxPilots>\r\n"
               "  <CurrentObservers>0</CurrentObservers>\r\n"
               "  <MaxObservers>4</MaxObservers>\r\n"
               "  <SessionComments>HOP every Friday\r\nATC on 122.8 "
               "&lt;TS&gt;</SessionComments>\r\n"
               "  <SessionGUID2002>") +
           kGuid + "</SessionGUID2002>\r\n  <SessionGUID2004>" + kNull +
           "</SessionGUID2004>\r\n"
           "  <Players>\r\n"
           "    <Player><Name>Anna</Name><GameVersion>FS2004</GameVersion><Type>Pilot</Type>"
           "<Aircraft>Cessna 172</Aircraft><ConnectTime>00:42</ConnectTime>"
           "<NearAirport>LSZH</NearAirport><Altitude>4500</Altitude><Heading>270</Heading>"
           "<Speed>110</Speed><Hop>1</Hop><DXVersion>9</DXVersion><Status>Flying</Status></"
           "Player>\r\n"
           "    <Player><Name>Tower</Name><Type>FSNavigator</Type><Status/></Player>\r\n"
           "  </Players>\r\n"
           "  <FlightPlans>\r\n"
           "    <FlightPlan><PlayerName>Anna</PlayerName><Plan>LSZH-LSGG</Plan>"
           "<StatusText>Open</StatusText><TimeFiledText>18:02</TimeFiledText>"
           "<TimeOpenedText>18:10</TimeOpenedText><TimeClosedText></TimeClosedText>"
           "<OpenTimeText>0:32</OpenTimeText></FlightPlan>\r\n"
           "  </FlightPlans>\r\n"
           "</Corvane>\r\n";
}

void MarkupSeeds() {
    const std::string t = "markup_document_fuzzer";
    Write(t, "status_page", FullPage());
    Write(t, "prolog_and_doctype",
          "<?xml version='1.0'?><!DOCTYPE Corvane [<!ELEMENT Corvane ANY> <!-- x -->]>"
          "<!-- comment --><Corvane><a>x</a><e/><![CDATA[<b/>]]></Corvane>trailing");
    Write(t, "references", "<n>&lt;b&gt; &amp;amp; &#65;&#x42; &bogus; &#; &#233; &#65601;</n>");
    Write(t, "cdata",
          "<r><n>  <![CDATA[a&lt;b]]>tail</n><m><![CDATA[]]></m><k>x<![CDATA[y]]></k></r>");
    Write(t, "blanks_in_tags", "< a >x</ a extra><b/>");
    Write(t, "nested", "<a><b><c><d>t</d><d/></c></b><b>u</b></a>");
    Write(t, "mismatched_end", "<a><b></a></b>");
}

void StatusPageSeeds() {
    const std::string t = "status_page_fuzzer";
    // Byte 0: DirectX 9; expects the page's FS2002 GUID, no FS2004 session.
    Write(t, "full_v3", std::string(1, static_cast<char>(9 | 2 << 4)) + FullPage());
    // A host older than version 3 with the lower-case GUID expected and the null FS2004 GUID.
    Write(t, "old_host",
          std::string(1, static_cast<char>(8 | 3 << 4 | 1 << 6)) +
              "<Corvane><Version>2.5</Version><ServerName>Old</ServerName><SessionGUID>" + kGuid +
              "</SessionGUID><SessionGUID2004>ignored</SessionGUID2004>"
              "<Players><Player><Name>Bo</Name></Player></Players></Corvane>");
    // Flight plans ahead of the players: only the players are read.
    Write(t, "plans_first",
          std::string(1, static_cast<char>(7)) +
              "<Corvane><FlightPlans><FlightPlan><Plan>A-B</Plan></FlightPlan></FlightPlans>"
              "<Players><Player><Name>&amp;#067;y</Name></Player><Player/></Players>"
              "<ServerName>&#32;&amp;#032;X&amp;lt;</ServerName></Corvane>");
    Write(t, "minimal", std::string(1, '\0') + "<Corvane><ServerName>A</ServerName></Corvane>");
}

std::string MasterInput(uint8_t status, uint8_t flags, uint8_t answers, const std::string& url,
                        const std::string& body) {
    return std::string{static_cast<char>(status), static_cast<char>(flags),
                       static_cast<char>(answers)} +
           url + "\n" + body;
}

void MasterListSeeds() {
    const std::string t = "master_list_fuzzer";
    const std::string url = "http://127.0.0.1:9000/cgi-bin/corvane_master.cgi";
    const std::string servers = std::string("Server|127.0.0.2|23456|") + kGuid + "|" + kNull +
                                "\nServer|127.0.0.3|23457||" + kNull + "\n";
    Write(t, "list_with_notices",
          MasterInput(0, 1, 0xFF, url,
                      "CorvaneServerList 1.0\n# registered hosts\n" + servers +
                          "News|3|Welcome back!\\nNew lab hosts online.\n"
                          "Version|9.2|http://www.perivant.example/download|Version 9.2 is out."
                          "\\nDownload it now?\n\nserver|127.0.0.4|80|x\n"));
    Write(
        t, "error_message",
        MasterInput(0, 0, 0, url, "corvaneserverlist\nErrorMsg|Master Server down\\n\n" + servers));
    Write(t, "replace_master",
          MasterInput(0, 1, 0, url,
                      "CorvaneServerList\n" + servers +
                          "ReplaceMaster|http://127.0.0.5/cgi-bin/corvane_master.cgi\n"));
    Write(t, "crlf_lines",
          MasterInput(0, 2 | 32, 0, "127.0.0.1/list",
                      "CorvaneServerList\r\n" + servers +
                          "SERVER|127.0.0.6|1|"
                          "|\r\n"));
    Write(t, "html_page", MasterInput(0, 0, 0, url, "<html><body>Not here</body></html>\n"));
    Write(t, "no_servers",
          MasterInput(0, 16, 0, "HTTP://127.0.0.1//a//b/",
                      "CorvaneServerList\nServer|127.0.0.2|23456|x\n#\n"));
    Write(t, "request_failed", MasterInput(0xC1, 0, 0, url, ""));
    Write(t, "not_found", MasterInput(0xC0, 0, 0, url, ""));
    Write(t, "no_host", MasterInput(0, 0, 0, "http://", "CorvaneServerList\n" + servers));
    Write(t, "queued_servers",
          MasterInput(0, 2 | 8, 0, url,
                      "CorvaneServerList\n" + servers + servers + "Server|127.0.0.9|80|||extra\n"));
}

std::vector<uint8_t> Block(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    VersionResourceWriter writer(a, b, c, d);
    writer.SetString("CompanyName", "Perivant");
    writer.SetString("FileVersion", VersionResourceWriter::FormatVersion(a, b, c, d));
    writer.SetString("ProductVersion", VersionResourceWriter::FormatVersion(a, b, c, d));
    return writer.Build();
}

void VersionTextSeeds() {
    const std::string t = "version_text_fuzzer";
    Write(t, "releases_and_betas", "1.6\n1.7b3\n2.0");
    Write(t, "betas", "2.0b10\n2.0b9\n2.0");
    Write(t, "same_numbers", "2.0\n2.00\n1.9");
    Write(t, "odd_texts", "b.1\n-1.-2b-3\n 3 . 4b");
    const std::span<const uint8_t> own = OwnVersionInfo();
    Write(t, "own_block", std::string(own.begin(), own.end()));
    Write(t, "beta_block", Bytes(Block(1, 7, 3, 0)));
    VersionResourceWriter writer(2, 0, 0, 1);
    writer.SetTranslations({{0x407, 1252}, {0x409, 1200}});
    writer.SetString("FileVersion", " 2 , 0 ,, 0 , 1 ");
    Write(t, "odd_file_version", Bytes(writer.Build()));
}

void VersionResourceSeeds() {
    const std::string t = "version_resource_fuzzer";
    Write(t, "ddraw_dll", Bytes(test::TestPeImage::VersionedDll(4, 7, 0, 700)));
    Write(t, "pe32_plus", Bytes(test::TestPeImage::Build(Block(5, 1, 2600, 881), true)));
    VersionResourceWriter writer(9, 0, 0, 904);
    writer.SetTranslations({{0x409, 1252}, {0x407, 1252}});
    writer.SetString("FileVersion", "9.00.0904");
    Write(t, "two_translations", Bytes(test::TestPeImage::Build(writer.Build())));
    VersionResourceWriter bare(1, 0, 0, 0);
    bare.OmitVarFileInfo();
    Write(t, "without_translations", Bytes(test::TestPeImage::Build(bare.Build())));
    Write(t, "bare_block", Bytes(Block(1, 6, 0, 2)));
}

// The settings file as the program writes it, and as a hand or a crash may leave it.
void SettingsSeeds() {
    const std::string t = "settings_file_fuzzer";
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/perivant-seeds-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::exit(1);
    }
    ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    const fs::path file = fs::path(pattern) / "Perivant" / "Perivant.conf";
    const auto saved = [&](const AppSettings& settings) {
        fs::remove(file);
        {
            QtProfileStore store;
            SaveSettings(settings, store);
            WriteSettingsInt(store, kHideNewsMsg, 3);
            WriteSettingsString(store, kHideVersionMsg, "1.7b3");
        }
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };

    AppSettings settings;
    MemoryProfileStore defaults;
    LoadSettings(settings, defaults, 1280, 1024);
    Write(t, "first_start", saved(settings));
    settings.WindowMaximized = true;
    settings.WindowPosition = {-8, -8, 1288, 1032};
    settings.MasterServerURL = "http://127.0.0.2:8080/cgi-bin/list?a=1, b=2";
    settings.MaxThreads = 200;
    settings.FilterEnable = true;
    settings.FilterTextString = "Caf\xE9 \x80\xB0 \"q\" \\ ;x";
    settings.FilterServerNamesString = "@ByteArray(x)";
    Write(t, "changed", saved(settings));
    fs::remove_all(pattern);

    Write(
        t, "hand_edited",
        "[Settings]\nWindowPosition=@ByteArray(\\0\\0\\0\\0\\0\\0)\nRefreshAtStartup=2\n"
        "MaxThreads=abc\nServerSortOrder=99999999999\nFilterPingNum= -12 \n"
        "FilterTextString=a, b, c\nShowCloseMsg=true\nFilterFS2002=@Variant(\\0\\0\\0\\x1\\x1)\n");
    Write(t, "truncated", "[Settings]\nMasterServerURL=\"http://www.perivant.exa");
    // A value the store must never let QSettings decode from its binary form.
    Write(t, "streamed_value",
          "[Settings]\nMaxThreads=3\nFilterFS2002=@Variant(\\0\\0\\0\\x31\\x30__c)\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    MarkupSeeds();
    StatusPageSeeds();
    MasterListSeeds();
    VersionTextSeeds();
    VersionResourceSeeds();
    SettingsSeeds();
    return 0;
}
