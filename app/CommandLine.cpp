#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace tav {

namespace {

const QString kProgram = QStringLiteral("tavclient");

// QGuiApplication's and QApplication's own options: those with a value, then switches.
// The parser must know them to tell them from unknown ones; QApplication consumes them.
constexpr const char* kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "name",          "style",
    "stylesheet",      "qmljsdebugger"};
constexpr const char* kQtSwitches[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The parser with every option the program knows; built the same way for parsing and for
// the help text.
class Parser {
public:
    Parser()
        : help({QStringLiteral("h"), QStringLiteral("help")},
               QStringLiteral("Show this help and exit.")),
          version({QStringLiteral("v"), QStringLiteral("version")},
                  QStringLiteral("Show the version and exit.")),
          dataDir(QStringLiteral("data-dir"),
                  QStringLiteral("Keep the profiles and downloaded files in DIR (default: "
                                 "$XDG_DATA_HOME/tavclient, or ~/.local/share/tavclient); "
                                 "created when missing."),
                  QStringLiteral("DIR")),
          profile(QStringLiteral("profile"),
                  QStringLiteral("Start with the profile NAME without asking; it must be one "
                                 "of the profiles in the data directory."),
                  QStringLiteral("NAME")) {
        // "-platform xcb" is one long option, as Qt itself reads it.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addPositionalArgument(
            QStringLiteral("telnet://HOST:PORT"),
            QStringLiteral("Connect to the game at HOST and PORT (also given as two words, HOST "
                           "PORT): the profile for them, or a new one made by \"Connect to a "
                           "game...\"."),
            QStringLiteral("[telnet://HOST:PORT | HOST PORT]"));
        parser.setApplicationDescription(
            QStringLiteral("TavClient: a desktop client for a text-based multi-user game "
                           "(a MUD).\nRuns in its data directory, where the profiles and "
                           "downloaded files live.\nQt's own options (-platform NAME, -style "
                           "NAME, ...) are passed on to Qt."));
        for (QCommandLineOption* option : {&help, &version, &dataDir, &profile})
            parser.addOption(*option);
        for (const char* name : kQtValueOptions)
            AddHidden(name, QStringLiteral("value"));
        for (const char* name : kQtSwitches)
            AddHidden(name, QString());
    }

    QString HelpText() const {
        // Without an application object Qt names the program "<executable_name>".
        QString text = parser.helpText();
        const qsizetype end = text.indexOf(QLatin1Char('['));
        if (text.startsWith(QStringLiteral("Usage: ")) && end > 0)
            text.replace(7, end - 7, kProgram + QLatin1Char(' '));
        return text;
    }

    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineOption dataDir;
    QCommandLineOption profile;

private:
    void AddHidden(const char* name, const QString& valueName) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), valueName);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
};

} // namespace

CommandLine CommandLine::Parse(const std::vector<std::string>& args) {
    // Latin-1 maps each byte to one character and back, so no byte is lost or replaced.
    QStringList latin1;
    for (const std::string& arg : args)
        latin1.append(QString::fromLatin1(arg.data(), static_cast<qsizetype>(arg.size())));
    auto bytes = [](const QString& value) { return value.toLatin1().toStdString(); };
    CommandLine result;
    auto refuse = [&result](const QString& error) {
        result.action = Action::Refused;
        result.error = error;
        result.game.reset();
        return result;
    };
    Parser p;
    if (!p.parser.parse(latin1)) return refuse(p.parser.errorText());
    const QStringList words = p.parser.positionalArguments();
    if (!words.isEmpty()) {
        result.game = words.size() <= 2
                          ? QuickGameFromAddress(bytes(words.constFirst()), bytes(words.value(1)))
                          : std::nullopt;
        if (!result.game)
            return refuse(QStringLiteral("Unexpected argument '%1'.").arg(words.constFirst()));
    }
    if (p.parser.isSet(p.help)) {
        result.action = Action::Help;
        return result;
    }
    if (p.parser.isSet(p.version)) {
        result.action = Action::Version;
        return result;
    }
    // An option given twice takes its last value, as most programs do.
    if (p.parser.isSet(p.dataDir)) {
        const QString dir = p.parser.values(p.dataDir).constLast();
        if (dir.isEmpty()) return refuse(QStringLiteral("--data-dir needs a directory."));
        result.dataDir = bytes(dir);
    }
    if (p.parser.isSet(p.profile)) {
        const QString name = p.parser.values(p.profile).constLast();
        if (name.isEmpty()) return refuse(QStringLiteral("--profile needs a profile name."));
        result.profile = bytes(name);
        if (result.game) return refuse(QStringLiteral("--profile and a game cannot go together."));
    }
    return result;
}

QString CommandLine::HelpText() {
    return Parser().HelpText();
}

QString CommandLine::VersionText() {
    return kProgram + QLatin1Char(' ') + QStringLiteral(TAV_VERSION);
}

} // namespace tav
