#include "app/commandline.h"

#include "app/buildinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

struct QtOption {
    const char* name;
    const char* value;  // nullptr for a switch
    const char* description;
};

// What QApplication and its X11 and Wayland plugins take from the command line.
constexpr QtOption kQtOptions[] = {
    {"platform", "name[:options]", "Platform plugin: xcb (X11), wayland, offscreen."},
    {"platformpluginpath", "path", "Path to the platform plugins."},
    {"platformtheme", "theme", "Platform theme."},
    {"plugin", "plugin", "Additional input plugin to load."},
    {"display", "display", "X11 display, overrides $DISPLAY."},
    {"name", "name", "X11 instance name (the first part of WM_CLASS)."},
    {"qwindowgeometry", "geometry", "Geometry of the first window, like 100x100+50+50."},
    {"geometry", "geometry", "Alias for -qwindowgeometry on X11."},
    {"qwindowtitle", "title", "Title of the first window."},
    {"title", "title", "Alias for -qwindowtitle on X11."},
    {"qwindowicon", "icon", "Default window icon."},
    {"icon", "icon", "Alias for -qwindowicon on X11."},
    {"style", "style", "Widget style, like fusion."},
    {"stylesheet", "file", "Style sheet to apply."},
    {"reverse", nullptr, "Lays the windows out right to left."},
    {"session", "session", "Restores the program from an earlier session."},
    {"nograb", nullptr, "Never grabs the mouse on X11 (for debuggers)."},
    {"dograb", nullptr, "Grabs the mouse on X11 even under a debugger."},
    {"visual", "id", "ID of the X11 visual to use."},
    {"widgetcount", nullptr, "Prints how many widgets were left at the end."},
};

// Platforms that draw without a desktop session (QT_QPA_PLATFORM may name
// several, separated by ";", each with options after ":").
bool needsNoSession(const QString& platforms) {
    static const QStringList headless{QStringLiteral("offscreen"),   QStringLiteral("minimal"),
                                      QStringLiteral("minimalegl"),  QStringLiteral("vnc"),
                                      QStringLiteral("eglfs"),       QStringLiteral("linuxfb"),
                                      QStringLiteral("vkkhrdisplay")};
    for (const QString& platform : platforms.split(QLatin1Char(';')))
        if (headless.contains(platform.section(QLatin1Char(':'), 0, 0))) return true;
    return false;
}

bool hasDisplay(const QCommandLineParser& parser) {
    const QString platform = parser.isSet(QStringLiteral("platform"))
                                 ? parser.value(QStringLiteral("platform"))
                                 : qEnvironmentVariable("QT_QPA_PLATFORM");
    return needsNoSession(platform) || parser.isSet(QStringLiteral("display")) ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("ぴぴろん, a small desktop alarm clock with two analog faces. It takes "
                       "no arguments of its own; the other options are Qt's."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not Qt's help option: its --help-all would list options the program refuses.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    for (const QtOption& option : kQtOptions)
        parser.addOption(QCommandLineOption(
            QString::fromLatin1(option.name), QString::fromLatin1(option.description),
            option.value ? QString::fromLatin1(option.value) : QString()));

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool understood = parser.parse(arguments);
    const QString program = arguments.value(0).section(QLatin1Char('/'), -1);
    if (understood && !parser.isSet(help) && !parser.isSet(version) &&
        parser.positionalArguments().isEmpty()) {
        if (hasDisplay(parser)) return std::nullopt;
        std::fprintf(stderr,
                     "%s: needs a desktop session, but neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set.\n",
                     qPrintable(program));
        return 1;
    }

    // The answers in Qt's words; the help's usage line needs the application object.
    const QCoreApplication core(argc, argv);
    if (!understood) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(parser.errorText()));
        return 1;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(program), kProgramVersion);
        return 0;
    }
    std::fprintf(stderr, "%s: Unexpected argument '%s'.\n", qPrintable(program),
                 qPrintable(parser.positionalArguments().constFirst()));
    return 1;
}

std::vector<std::string> argumentsForQt(int argc, char* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        const std::size_t dashes = argument.starts_with("--") ? 2 : argument.starts_with('-');
        const bool split =
            i > 0 && dashes > 0 && equals != std::string::npos &&
            std::any_of(std::begin(kQtOptions), std::end(kQtOptions), [&](const QtOption& o) {
                return o.value && argument.compare(dashes, equals - dashes, o.name) == 0 &&
                       std::strlen(o.name) == equals - dashes;
            });
        if (!split) {
            arguments.push_back(argument);
            continue;
        }
        std::string name(1, '-');
        name.append(argument, dashes, equals - dashes);
        arguments.push_back(std::move(name));
        arguments.push_back(argument.substr(equals + 1));
    }
    return arguments;
}

namespace {

struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler g_passOn = nullptr;
std::vector<HeldMessage> g_held;
std::string g_failure;  // the line for a display that cannot be opened

void holdOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(g_failure.c_str(), stderr);
        std::fflush(stderr);
        // Nothing has been shown or changed yet.
        std::_Exit(1);
    }
    g_held.push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

DisplayOpenCheck::DisplayOpenCheck(const std::vector<std::string>& arguments) {
    std::string display, platform;
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-display" || arguments[i] == "--display") display = arguments[i + 1];
        if (arguments[i] == "-platform" || arguments[i] == "--platform")
            platform = arguments[i + 1];
    }
    if (platform.empty()) platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    if (display.empty() && (platform.empty() || platform.starts_with("xcb")))
        display = qEnvironmentVariable("DISPLAY").toStdString();
    if (display.empty() && (platform.empty() || platform.starts_with("wayland")))
        display = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
    const std::string program = arguments.empty() ? "pipiron" : arguments[0];
    g_failure = program.substr(program.rfind('/') + 1) + ": cannot open the display " +
                (display.empty() ? "of the platform " + platform : display) + ".\n";
    g_passOn = qInstallMessageHandler(holdOrFail);
}

DisplayOpenCheck::~DisplayOpenCheck() {
    qInstallMessageHandler(g_passOn);
    for (const HeldMessage& m : std::exchange(g_held, {})) {
        const QMessageLogContext context(m.file, m.line, m.function, m.category);
        qt_message_output(m.type, context, m.text);
    }
}
