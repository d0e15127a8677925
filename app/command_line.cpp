#include "app/command_line.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kUsage = 2;

const char* const kHelp = R"(Usage: pondel [OPTION]
A goldfish aquarium for the desktop, with a Japanese user interface.

Up to five goldfish swim in a small tank, turn at its walls, rise and blow
bubbles, and gather at the food you give them from the menu. The tank keeps
its fish, kinds and accessories in the file SET in the current folder and
resumes where it was left.

  -h, --help       display this help and exit
  -v, --version    output version information and exit

Qt's standard options, such as -platform, -style and -session, are accepted.
pondel-sheet makes goldfish kinds and accessories from your own pictures.
)";

// The options QGuiApplication and QApplication take out of the command line, as far
// as they make sense for this program; anything else is a mistake of the user's.
const char* const kQtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                           "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                           "display", "geometry", "style", "stylesheet"};
const char* const kQtFlags[] = {"reverse", "widgetcount"};

int refuse(const QString& why)
{
    std::fprintf(stderr, "pondel: %s Try 'pondel --help'.\n", why.toLocal8Bit().constData());
    return kUsage;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv)
{
    // No arguments is the everyday start; keep it free of any parsing.
    if (argc <= 1)
        return std::nullopt;

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // Qt writes its options with one dash (-platform xcb), so read words that way.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
    for (const char* name : kQtFlags)
        parser.addOption(QCommandLineOption(QLatin1String(name)));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs("pondel " PONDEL_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}
