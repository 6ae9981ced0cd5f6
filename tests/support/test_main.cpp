// One main for every test binary; ZORVANE_TEST_APP picks the application class:
// 1 = QCoreApplication, 2 = QGuiApplication, 3 = QApplication with WebEngine.
#include "fixture_server.h"
#include "test_app.h"

#if ZORVANE_TEST_APP == 1
#include <QCoreApplication>
#elif ZORVANE_TEST_APP == 2
#include <QGuiApplication>
#else
#include <QApplication>
#endif

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#if ZORVANE_TEST_APP == 3
#include "platform/web/webengine_setup.h"
#if ZORVANE_TEST_TLS
#include "test_authority.h"
#endif

static FixtureServer *g_server = nullptr;
FixtureServer &sharedServer() { return *g_server; }
#endif

// Every test binary prints Qt's strings as text in its failure messages.
TEST(QtPrinters, StringsAndStringListsPrintAsText)
{
    EXPECT_EQ(::testing::PrintToString(QStringLiteral("宝贝|1")), "\"宝贝|1\"");
    EXPECT_EQ(::testing::PrintToString(QStringList{QStringLiteral("a"), QStringLiteral("货号")}),
              "{ \"a\", \"货号\" }");
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Always offscreen; a run may give that platform its options (a screen of its own).
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
#if ZORVANE_TEST_APP == 1
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
#elif ZORVANE_TEST_APP == 2
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
#else
    // Chromium reads its flags once, when the first profile starts: the
    // server's port must be known before the application exists.
#if ZORVANE_TEST_TLS
    // The marketplace over https too, with an authority the browser trusts.
    TestAuthority authority;
    FixtureServer server(FixtureServer::Tls{authority.file("server.pem"), authority.file("server.key")});
#else
    FixtureServer server;
#endif
    g_server = &server;
    std::vector<std::string> args = webEngineTestArguments(argv[0], server.port(), server.tlsPort());
    std::vector<char *> argvWeb;
    for (std::string &a : args)
        argvWeb.push_back(a.data());
    int argcWeb = int(argvWeb.size());
    argvWeb.push_back(nullptr);
    prepareWebEngineEnvironment();
    QApplication app(argcWeb, argvWeb.data());
#if ZORVANE_TEST_TLS
    authority.trustInQtNetwork();
#endif
    const int rc = RUN_ALL_TESTS();
    return rc;
#endif
}
