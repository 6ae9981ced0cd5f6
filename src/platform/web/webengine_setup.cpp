#include "platform/web/webengine_setup.h"

#include <QByteArray>

#include <unistd.h>

void prepareWebEngineEnvironment()
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArray("1"));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}

std::vector<std::string> webEngineArguments(int argc, char **argv,
                                            const std::vector<std::string> &extraFlags)
{
    std::vector<std::string> args(argv, argv + argc);
    bool marker = false, language = false;
    for (const std::string &a : args) {
        marker = marker || a == "--webEngineArgs";
        language = language || a.rfind("--lang=", 0) == 0;
    }
    if (!marker)
        args.emplace_back("--webEngineArgs");
    // Without it Chromium keeps calling outside hosts in the background.
    args.emplace_back("--disable-background-networking");
    // The engine's own pages (errors) and the pages' navigator.language in
    // Chinese, whatever the desktop's language, unless the user asked for another.
    if (!language)
        args.emplace_back("--lang=zh-CN");
    args.insert(args.end(), extraFlags.begin(), extraFlags.end());
    return args;
}

std::string marketplaceHostRule(int port, int tlsPort)
{
    // The first rule that matches wins: the one with the port goes first.
    const std::string secure = tlsPort > 0 ? "MAP *.zorvane.com:443 127.0.0.1:" + std::to_string(tlsPort) + ", " : "";
    return secure + "MAP *.zorvane.com 127.0.0.1:" + std::to_string(port);
}

std::vector<std::string> webEngineTestArguments(const char *argv0, int port, int tlsPort)
{
    char *argv[] = {const_cast<char *>(argv0)};
    return webEngineArguments(1, argv, {"--disable-gpu", "--host-resolver-rules=" + marketplaceHostRule(port, tlsPort)});
}
