#include "polling/HttpClient.h"

#include "support/FailingAllocations.h"
#include "support/LoopbackHttpServer.h"
#include "support/NoProxies.h"

#include <gtest/gtest.h>

using namespace perivant;
using namespace perivant::testing;

TEST(OutOfMemory, PageThatDoesNotFitEndsItsTransferAndTheNextOneIsWhole) {
    const std::string page(1 << 20, 'x');
    LoopbackHttpServer server([&](LoopbackHttpServer::Connection& connection, const std::string&) {
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(page.size()) +
                        "\r\nConnection: close\r\n\r\n" + page);
    });
    HttpClient client;
    std::string errorText;
    auto get = [&](std::string& body) {
        return client.Get("127.0.0.1", server.Port(), "", "", "/xml", "Perivant1.3", body,
                          errorText);
    };
    std::string first;
    ASSERT_EQ(get(first), 200);

    // The body grows as the page arrives; past 256 KB memory "runs out".
    int result = 0;
    std::string body;
    {
        FailingAllocations failing(256 * 1024);
        result = get(body);
        EXPECT_GT(failing.Refused(), 0);
    }
    EXPECT_EQ(result, 12030);
    EXPECT_EQ(errorText, "The connection with the server was terminated abnormally");
    EXPECT_LT(body.size(), page.size());

    std::string last;
    EXPECT_EQ(get(last), 200);
    EXPECT_EQ(last, page);
}
