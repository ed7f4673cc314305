#include <malloc.h>
// Velmok 2.2: command line, application object and main window.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/QtDesktop.h"
#include "platform/QtSingleInstance.h"
#include "platform/QtText.h"
#include "ui/CommandLine.h"
#include "ui/QtStartRequests.h"
#include "ui/StartRequests.h"
#include "ui/TSDIAppForm.h"
#include "widgets/QtStyles.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    char c = 1;
    // Only async-signal-safe work here: wake the event loop.
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

// The executable's folder, known before any toolkit object exists.
std::string ExecutableFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string();
}

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(folder, ec);
    return (ec ? std::filesystem::path(folder) : path).lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    // Everything that only prints is settled before the application object,
    // which needs a display.
    const velmok::ui::CommandLine line =
        velmok::ui::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.What == velmok::ui::CommandLine::Action::Error) {
        std::fprintf(stderr, "velmok: %s\nTry 'velmok --help' for more information.\n", line.Error.c_str());
        return 2;
    }
    if (line.What == velmok::ui::CommandLine::Action::Version) {
        std::printf("Velmok 2.2\n");
        return 0;
    }
    const std::string settingsFolder =
        line.ConfigDir.empty() ? AbsoluteFolder(velmok::ui::ChooseSettingsFolder(
                                     velmok::ui::GatherSettingsFolderFacts(ExecutableFolder(argv[0]))))
                               : AbsoluteFolder(line.ConfigDir);
    if (line.What == velmok::ui::CommandLine::Action::Help) {
        std::printf("%s", velmok::ui::HelpText(settingsFolder).c_str());
        return 0;
    }
    std::string problem;
    if (!velmok::ui::EnsureFolder(settingsFolder, problem)) {
        std::fprintf(stderr, "velmok: cannot use the settings folder %s: %s\n", settingsFolder.c_str(),
                     problem.c_str());
        return 1;
    }

    // The toolkit sees its own options only; ours are read already.
    std::vector<char*> toolkitArgv = {argv[0]};
    std::vector<std::string> toolkitArgs = line.ToolkitArgs;
    for (std::string& arg : toolkitArgs) toolkitArgv.push_back(arg.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArgv.size()) - 1;
#ifdef M_MMAP_THRESHOLD
    // glibc raises its threshold for mapping large blocks each time one is
    // freed, and the megabyte read buffers of a flood then stay in the heap
    // for good once the flood is over. A fixed threshold gives them back.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    QApplication app(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(QStringLiteral("Velmok 2.2"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    QApplication::setDesktopFileName(QStringLiteral("velmok"));
    QApplication::setWindowIcon(velmok::platform::ApplicationIcon());

    // One window per settings folder: a second start hands its request over.
    const velmok::ui::HandOver request{line.Connects, line.Links};
    const QString socketPath = velmok::platform::SingleInstance::SocketPath(
        QString::fromStdString(velmok::ui::HandOverSocketName(settingsFolder)));
    const std::string encoded = velmok::ui::EncodeHandOver(request);
    if (velmok::platform::SingleInstance::HandOver(socketPath, QByteArray::fromStdString(encoded))) {
        std::fprintf(stderr, "velmok: handed over to the Velmok already running with %s\n",
                     settingsFolder.c_str());
        return 0;
    }
    velmok::platform::SingleInstance instance;
    QString listenError;
    if (!instance.Listen(socketPath, listenError))
        std::fprintf(stderr, "velmok: %s; links cannot be handed to this window\n", qPrintable(listenError));

    velmok::widgets::InstallFontSubstitutions();
    velmok::ui::TSDIAppForm form(velmok::platform::FromLocalPath(settingsFolder));
    // The program lives as long as its main window, whatever else is still
    // up. exit() ends every loop at once, the dialogs' included; quit() would
    // first ask every window to close, and one that waits for its dialog to
    // return would refuse.
    QApplication::setQuitOnLastWindowClosed(false);
    bool closed = false;
    QObject::connect(&form, &velmok::ui::TSDIAppForm::Closed, &app, [&closed] {
        closed = true;
        QCoreApplication::exit(0);
    });
    velmok::ui::QtStartRequests requests(form);
    instance.complete = [](const QByteArray& bytes) {
        velmok::ui::HandOver ignored;
        return velmok::ui::DecodeHandOver(bytes.toStdString(), ignored);
    };
    instance.onRequest = [&requests](const QByteArray& bytes) {
        velmok::ui::HandOver handed;
        if (velmok::ui::DecodeHandOver(bytes.toStdString(), handed)) requests.Handle(handed);
    };

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
    requests.ConnectNumbers(line.Connects);
    for (const std::string& link : line.Links) requests.OpenLink(link);
    // A dialog the start requests opened runs its own loop; a window closed
    // from there (a signal, say) ended only that loop, before ours began.
    if (closed) return 0;
    return QApplication::exec();
}
