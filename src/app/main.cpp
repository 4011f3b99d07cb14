// SPDX-License-Identifier: GPL-3.0-or-later
// tagmill: the main window over the settings hive of the suite.
#include "AppIcon.h"
#include "finder/widgets/frm_Find.h"
#include "frm_Preview.h"
#include "frm_Tagmill.h"
#include "platform/Environment.h"
#include "platform/ProgramEnd.h"
#include "platform/RegistryHive.h"
#include "platform/widgets/QtUiHost.h"
#include "shared/Fonts.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>

#include <cstdio>
#include <optional>

namespace {

enum Status : int
{
    Ok = 0,
    Failed = 1,
    Usage = 2
};

const char* const UsageLine = "Usage: tagmill [--registry FILE] [--folder PATH] [DOCUMENT]\n";

struct Arguments
{
    QString registry;
    QString folder;
    QString document;
};

void printHelp(QTextStream& out)
{
    out << UsageLine << "\n"
        << "Links the comment tags of a target HTML document to the fields of the form\n"
        << "submissions that a job folder's e-mails carry. Without arguments it reopens the\n"
        << "last document and job folder.\n\n"
        << "Options:\n"
        << "  --registry FILE  the settings hive (else $VANTIX_REGISTRY, else\n"
        << "                   vantix/registry.sqlite3 in the user's configuration folder)\n"
        << "  --folder PATH    take PATH as the job folder once the window is up\n"
        << "  DOCUMENT         open DOCUMENT once the window is up, as the open dialog would\n"
        << "  --help           show this help\n"
        << "  --version        show the version\n\n"
        << "Exit status: 0 closed, 1 could not start (no display, a settings hive that\n"
        << "cannot be opened, a required path missing), 2 wrong usage.\n";
}

// Gives the status to end with, or nothing to go on.
std::optional<int> parseArguments(const QStringList& args, Arguments& parsed)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& message) {
        err << "tagmill: " << message << "\n" << UsageLine;
        return Usage;
    };
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!optionsEnd && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            printHelp(out);
            return Ok;
        }
        if (!optionsEnd && arg == QLatin1String("--version")) {
            out << "tagmill " << VANTIX_VERSION << "\n";
            return Ok;
        }
        if (!optionsEnd &&
            (arg == QLatin1String("--registry") || arg == QLatin1String("--folder"))) {
            if (++i >= args.size())
                return usage(arg + QStringLiteral(" needs a value"));
            (arg == QLatin1String("--registry") ? parsed.registry : parsed.folder) = args[i];
            continue;
        }
        if (!optionsEnd && arg == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usage(QStringLiteral("unknown option ") + arg);
        if (!parsed.document.isEmpty())
            return usage(QStringLiteral("only one document can be opened"));
        parsed.document = arg;
    }
    if (!parsed.folder.isEmpty()) {
        const QFileInfo folder(parsed.folder);
        if (!folder.isDir())
            return usage(QStringLiteral("no folder \"%1\"").arg(parsed.folder));
        parsed.folder = QDir::cleanPath(folder.absoluteFilePath());
    }
    if (!parsed.document.isEmpty()) {
        const QFileInfo document(parsed.document);
        if (!document.isFile())
            return usage(QStringLiteral("no file \"%1\"").arg(parsed.document));
        parsed.document = QDir::cleanPath(document.absoluteFilePath());
    }
    return std::nullopt;
}

// Taking the picture needs nobody at the screen: boxes go to stderr and get
// the answer that changes nothing.
class UnattendedUiHost : public Platform::QtUiHost
{
public:
    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override
    {
        QTextStream(stderr) << request.title << ": " << request.text << "\n";
        return Platform::passiveAnswer(request.buttons);
    }
};

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    Arguments arguments;
    if (const std::optional<int> status = parseArguments(args, arguments))
        return *status;
    if (!hasDisplay()) {
        QTextStream(stderr) << "tagmill: there is no display to show the window on (neither "
                               "DISPLAY nor WAYLAND_DISPLAY is set)\n";
        return Failed;
    }

    Platform::prepareGuiEnvironment();
    QApplication app(argc, argv);
    Global::useFontDatabase();
    QCoreApplication::setApplicationName(QStringLiteral("tagmill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTIX_VERSION));
    // Every window shows the icon, and the desktop matches them to the entry.
    QApplication::setWindowIcon(tagmillIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTIX_APP_ID));
    const QString screenshot = qEnvironmentVariable("TAGMILL_SCREENSHOT");
    Platform::QtUiHost windowHost;
    UnattendedUiHost unattendedHost;
    Platform::setUiHost(screenshot.isEmpty() ? static_cast<Platform::UiHost*>(&windowHost)
                                             : &unattendedHost);

    try {
        const QString path = arguments.registry.isEmpty() ? Platform::RegistryHive::defaultPath()
                                                          : arguments.registry;
        auto hive = Platform::RegistryHive::open(path);
        // A mistyped --registry or $VANTIX_REGISTRY shows here.
        if (hive->created())
            QTextStream(stderr) << "tagmill: made a new settings file \"" << path << "\"\n";
        Global::setSettingsHive(std::move(hive));
    } catch (const Platform::HiveError& error) {
        Global::showText(error.message(), Platform::MsgButtons::Ok, Platform::MsgIcon::Critical,
                         Global::applicationTitle());
        return Failed;
    }

    frm_Tagmill window;
    try {
        window.Form_Load();
    } catch (const Platform::ProgramEnd&) {
        return Failed;
    }
    if (!arguments.folder.isEmpty())
        window.setJobFolder(arguments.folder);
    if (!arguments.document.isEmpty())
        window.openDocument(arguments.document);

    // For the README's picture: the window as it stands after start-up (and
    // TAGMILL_SCREENSHOT_TAGS steps of the Next button) is saved to this file
    // and the program ends.
    // With TAGMILL_SCREENSHOT_FINDER, the contact finder is pictured instead,
    // having searched that clue; with TAGMILL_SCREENSHOT_PREVIEW, the
    // preview of the document once its page shows.
    if (!screenshot.isEmpty()) {
        QAction* next = window.tbr_Main->findChild<QAction*>(QStringLiteral("NTAG"));
        for (int steps = qEnvironmentVariableIntValue("TAGMILL_SCREENSHOT_TAGS"); next && steps > 0;
             --steps)
            next->trigger();
        QWidget* pictured = &window;
        if (const QString clue = qEnvironmentVariable("TAGMILL_SCREENSHOT_FINDER");
            !clue.isEmpty()) {
            frm_Find* finder = window.showFinder();
            finder->txt_Clue->setText(clue);
            finder->flow().start();
            pictured = finder;
        }
        frm_Preview* preview = nullptr;
        if (qEnvironmentVariableIsSet("TAGMILL_SCREENSHOT_PREVIEW")) {
            preview = window.showPreview();
            if (preview)
                pictured = preview;
        }
        const auto grab = [&, pictured] {
            QTimer::singleShot(500, &window, [&, pictured] {
                const bool saved = pictured->grab().save(screenshot);
                QCoreApplication::exit(saved ? Ok : Failed);
            });
        };
        if (preview && !preview->pageShown())
            QObject::connect(preview, &frm_Preview::pageRendered, &window, grab);
        else
            grab();
    }
    if (!window.isVisible())
        return Ok;
    return app.exec();
}
