// vst2host: a command-line VST 2 host. Parses the command line and hands over to a command.
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vst2host/info_command.h"
#include "tools/vst2host/plugin_host.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitLoad = 2;
constexpr int kExitFailure = 1;

struct ParsedArgs {
    std::vector<std::string> positional;
    std::set<std::string> flags;                 // options without a value, e.g. --json
    std::map<std::string, std::string> options;  // options with a value, e.g. --rate 48000

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
};

struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    std::vector<const char*> positionals;  // names of the required arguments, in order
    std::vector<const char*> flags;
    std::vector<const char*> valueOptions;
    int (*run)(const ParsedArgs& args);
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info",
         "info PLUGIN [--json]",
         "Load the VST 2 plug-in PLUGIN (.so) and print its identity, buses, flags,\n"
         "programs, parameters and state chunk size; --json prints the same as JSON.",
         {"PLUGIN"},
         {"--json"},
         {},
         [](const ParsedArgs& args) {
             return vst2host::RunInfoCommand(args.positional[0], args.has("--json"));
         }},
    };
    return commands;
}

void PrintUsage(std::ostream& out) {
    out << "usage: vst2host COMMAND [ARGUMENTS]\n"
           "       vst2host --help\n"
           "\n"
           "commands:\n";
    for (const Command& c : Commands()) {
        out << "  vst2host " << c.synopsis << "\n";
        std::string_view summary = c.summary;
        while (!summary.empty()) {
            const auto end = summary.find('\n');
            out << "      " << summary.substr(0, end) << "\n";
            summary = end == std::string_view::npos ? "" : summary.substr(end + 1);
        }
    }
    out << "\n"
           "Exit status: 0 on success, 2 on a usage error or a plug-in that cannot be loaded,\n"
           "1 on any other failure.\n";
}

int UsageError(const std::string& message) {
    std::cerr << "vst2host: " << message << "\n\n";
    PrintUsage(std::cerr);
    return kExitUsage;
}

bool Contains(const std::vector<const char*>& names, const std::string& name) {
    for (const char* n : names) {
        if (name == n) return true;
    }
    return false;
}

// Options may stand before, between or after the positional arguments; "--" ends them.
// Returns an error message, or nothing when the arguments fit the command.
std::optional<std::string> Parse(const Command& command, const std::vector<std::string>& argv,
                                 ParsedArgs& out) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            out.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (Contains(command.flags, name) && equals == std::string::npos) {
            out.flags.insert(name);
        } else if (Contains(command.valueOptions, name)) {
            if (equals != std::string::npos) {
                out.options[name] = arg.substr(equals + 1);
            } else if (i + 1 < argv.size()) {
                out.options[name] = argv[++i];
            } else {
                return command.name + std::string(": option ") + name + " needs a value";
            }
        } else {
            return command.name + std::string(": unknown option '") + arg + "'";
        }
    }
    if (out.positional.size() < command.positionals.size()) {
        return command.name + std::string(": missing ") +
               command.positionals[out.positional.size()] + " argument";
    }
    if (out.positional.size() > command.positionals.size()) {
        return command.name + std::string(": unexpected argument '") +
               out.positional[command.positionals.size()] + "'";
    }
    return std::nullopt;
}

int Run(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
    }
    if (args.empty()) return UsageError("missing command");
    if (args[0].starts_with("-")) return UsageError("unknown option '" + args[0] + "'");

    for (const Command& command : Commands()) {
        if (args[0] != command.name) continue;
        ParsedArgs parsed;
        if (auto error = Parse(command, {args.begin() + 1, args.end()}, parsed)) {
            return UsageError(*error);
        }
        return command.run(parsed);
    }
    return UsageError("unknown command '" + args[0] + "'");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const vst2host::LoadError& e) {
        std::cerr << "vst2host: " << e.what() << '\n';
        return kExitLoad;
    } catch (const std::exception& e) {
        std::cerr << "vst2host: " << e.what() << '\n';
        return kExitFailure;
    } catch (...) {
        std::cerr << "vst2host: unknown error\n";
        return kExitFailure;
    }
}
