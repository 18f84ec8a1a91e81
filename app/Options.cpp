#include "app/Options.h"

#include <system_error>

#include "host/PathText.h"

#ifndef POSTPLAY_DEFAULT_PLUGIN
#define POSTPLAY_DEFAULT_PLUGIN "libpostplay.so"
#endif

namespace app {
namespace {

constexpr const char* kValueOptions[] = {"--plugin", "--home", "--language", "--screenshot", "--size"};
constexpr int kSmallestSide = 200; // below this the panels have no room at all
constexpr int kLargestSide = 16384;

bool TakesValue(const std::string& name) {
    for (const char* option : kValueOptions)
        if (name == option) return true;
    return false;
}

bool LooksLikeOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

// Reads WIDTHxHEIGHT, each side a whole number of pixels within bounds.
bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return false;
    const auto side = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::stoi(digits);
        return value >= kSmallestSide && value <= kLargestSide;
    };
    int parsedWidth = 0, parsedHeight = 0;
    if (!side(text.substr(0, x), parsedWidth) || !side(text.substr(x + 1), parsedHeight)) return false;
    width = parsedWidth;
    height = parsedHeight;
    return true;
}

// Stores one option's value; returns an error text, empty when fine.
std::string Apply(Options& options, const std::string& name, const std::string& value) {
    if (value.empty()) return "option " + name + " needs a value";
    // Arguments are UTF-8 (main.cpp reads them so on Windows too) and become paths as UTF-8.
    if (name == "--plugin")
        options.plugin = Utf8ToPath(value);
    else if (name == "--home")
        options.home = Utf8ToPath(value);
    else if (name == "--screenshot")
        options.screenshot = Utf8ToPath(value);
    else if (name == "--size") {
        if (!ParseSize(value, options.windowWidth, options.windowHeight))
            return "option --size takes WIDTHxHEIGHT in pixels, each from " + std::to_string(kSmallestSide) + " to " +
                   std::to_string(kLargestSide) + ", not " + value;
    } else if (name == "--language") {
        if (value == "none")
            options.language.reset();
        else
            options.language = value;
    }
    return {};
}

} // namespace

ParseResult ParseOptions(const std::vector<std::string>& arguments) {
    ParseResult result;
    Options& options = result.options;
    bool onlyScripts = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyScripts || !LooksLikeOption(argument)) {
            options.scripts.push_back(Utf8ToPath(argument));
            continue;
        }
        if (argument == "--") {
            onlyScripts = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name == "--help" || name == "-h" || name == "--gui") {
            if (equals != std::string::npos) {
                result.error = "option " + name + " takes no value";
                return result;
            }
            (name == "--gui" ? options.gui : options.help) = true;
            continue;
        }
        if (!TakesValue(name)) {
            result.error = "unknown option " + argument;
            return result;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !LooksLikeOption(arguments[i + 1])) {
            value = arguments[++i];
        }
        result.error = Apply(options, name, value);
        if (!result.error.empty()) return result;
    }
    return result;
}

void MakePathsAbsolute(Options& options) {
    const auto absolute = [](std::filesystem::path& path) {
        std::error_code error; // a path that cannot be made absolute stays as given
        if (std::filesystem::path made = std::filesystem::absolute(path, error); !error) path = std::move(made);
    };
    for (auto* path : {&options.plugin, &options.home, &options.screenshot})
        if (*path) absolute(**path);
    for (std::filesystem::path& script : options.scripts) absolute(script);
}

std::string UsageText() {
    std::string text =
        "Usage: postplay-host [OPTION]... [SCRIPT]...\n"
        "Loads a plug-in library into the simulated game host and runs console input: the\n"
        "SCRIPT files in order, else standard input, or a window with --gui.\n"
        "\n"
        "Options:\n"
        "  --plugin LIB           the plug-in library (default: " POSTPLAY_DEFAULT_PLUGIN " beside this program)\n"
        "  --home DIR             the host's folder, kept from run to run (default:\n";
    text += std::string("                         ") + DefaultHomeDescription() + ")\n";
    text += "  --language CODE        the game's interface language when the plug-in first loads\n"
            "                         (default INT; 'none': the game reports no language)\n"
            "  --gui                  open a window: settings page, console and game panel\n"
            "  --screenshot FILE.png  after the scripts, draw the window, save it as PNG and exit\n"
            "                         (needs a display, e.g. under xvfb-run -a)\n"
            "  --size WIDTHxHEIGHT    the window's size in pixels (default 1280x800)\n"
            "  --help                 show this text and exit\n"
            "\n"
            "The program works in its home folder: paths on the command line are relative to\n"
            "the folder it starts in, paths in console lines (sim_dir, sim_file, load_workshop,\n"
            "the plug-in's workshop folder) to the home folder.\n"
            "\n"
            "Every console line is printed to standard output as \"[T] TEXT\", T being the\n"
            "simulated time in seconds. 'quit' or 'exit' ends the run; 'help' lists the commands.\n"
            "\n"
            "Exit status: 0 when the input ran (whatever the plug-in logged); 2 when the host could\n"
            "not run (bad command line, unusable library, unreadable script, no display...);\n"
            "1 on an unexpected internal error.\n";
    return text;
}

std::filesystem::path DefaultPluginPath() {
    const std::optional<std::filesystem::path> folder = ProgramFolder();
    if (!folder) return POSTPLAY_DEFAULT_PLUGIN;
    return *folder / POSTPLAY_DEFAULT_PLUGIN;
}

} // namespace app
