// The program travik: the editor's windows shown with Qt 6 Widgets.
//
// It takes no command line of its own (Qt gets a fixed one), reads no
// settings, and writes "Log.txt" into the directory it was started in.
#include "app/App.h"
#include "platform/Presenter.h"
#include "platform/WinApp.h"
#include "platform/qt/QtPresenter.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

const char kNoDisplay[] =
    "No display is available: Project Travik needs a desktop session (DISPLAY or WAYLAND_DISPLAY) to show its window.\n";

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

QtMessageHandler g_qtMessages = nullptr;

// Qt ends a program that cannot reach the window system with an abort;
// while the application starts, that becomes a plain message instead.
void StartupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (g_qtMessages) g_qtMessages(type, context, message);
        return;
    }
    std::fprintf(stderr, "Project Travik cannot open its window: %s\n", message.toLocal8Bit().constData());
    std::_Exit(1);
}

} // namespace

int main()
{
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }

    static int argc = 1;
    static char name[] = "travik";
    static char* argv[] = {name, nullptr};
    g_qtMessages = qInstallMessageHandler(&StartupMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(g_qtMessages);
    // Qt takes the user's locale on start-up; the editor's streams write
    // numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Project Travik"));

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    QApplication::setWindowIcon(QIcon(qtpresenter::PixmapOfIcon(theApp.LoadIcon(IDR_MAINFRAME))));
    int status = AfxWinMain(theApp);
    SetPresenter(nullptr);
    return status;
}
