#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

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
        std::printf("%s %s\n", qPrintable(program), PIPIRON_VERSION);
        return 0;
    }
    std::fprintf(stderr, "%s: Unexpected argument '%s'.\n", qPrintable(program),
                 qPrintable(parser.positionalArguments().constFirst()));
    return 1;
}
