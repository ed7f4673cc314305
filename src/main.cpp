// Velmok 2.2: command line, application object and main window.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "ui/QtStyles.h"
#include "ui/TSDIAppForm.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    char c = 1;
    // Only async-signal-safe work here: wake the event loop.
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmok 2.2"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmok 2.2, an IRC client for Japanese users"));
    QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    QCommandLineOption versionOption(QStringLiteral("version"),
                                     QStringLiteral("Print the version and exit."));
    QCommandLineOption configDirOption(
        QStringLiteral("config-dir"),
        QStringLiteral(
            "Folder of velmok.ini, Connections, Events and Keywords (default: the executable's folder)."),
        QStringLiteral("DIR"));
    QCommandLineOption connectOption(
        QStringLiteral("connect"),
        QStringLiteral("Connect profile N (1 = the first) at start; up to three times."),
        QStringLiteral("N"));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(configDirOption);
    parser.addOption(connectOption);
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("Velmok 2.2\n");
        return 0;
    }

    QString configDir = parser.isSet(configDirOption) ? parser.value(configDirOption)
                                                      : QCoreApplication::applicationDirPath();
    configDir = QDir(configDir).absolutePath();

    QList<int> connects;
    for (const QString& value : parser.values(connectOption)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < 1) {
            std::fprintf(stderr, "velmok: --connect takes a profile number from 1\n");
            return 2;
        }
        connects.append(number);
    }
    if (connects.size() > 3) {
        std::fprintf(stderr, "velmok: --connect may be given at most three times\n");
        return 2;
    }

    velmok::ui::InstallFontSubstitutions();
    velmok::ui::TSDIAppForm form(configDir);

    // SIGINT and SIGTERM close the main window as if the user had closed it.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form] {
            char c;
            [[maybe_unused]] auto n = ::read(signalPipe[0], &c, 1);
            form.close();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
    }

    form.show();
    form.FormShow();
    for (int number : connects) {
        if (!form.ConnectProfile(number))
            std::fprintf(stderr, "velmok: profile %d could not be connected\n", number);
    }
    return QApplication::exec();
}
