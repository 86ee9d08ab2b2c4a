// vst2host: a command-line VST 2 host. Parses the command line and hands over to a command.
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/info_command.h"
#ifndef VST2HOST_INFO_ONLY
#include "tools/vst2host/demo_input.h"
#include "tools/vst2host/preset_command.h"
#include "tools/vst2host/render_command.h"
#include "tools/vst2host/validate_command.h"
#endif

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitRefused = 2;
constexpr int kExitFailure = 1;

struct ParsedArgs {
    std::vector<std::string> positional;
    std::set<std::string> flags;                              // without a value, e.g. --json
    std::map<std::string, std::vector<std::string>> options;  // with one, e.g. --block 256

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& name) const {
        const auto it = options.find(name);
        if (it == options.end()) return std::nullopt;
        return it->second.back();
    }
    std::vector<std::string> values(const std::string& name) const {
        const auto it = options.find(name);
        return it == options.end() ? std::vector<std::string>{} : it->second;
    }
};

struct Command {
    const char* name;  // one word, or two for a command with an action ("preset save")
    const char* synopsis;
    const char* summary;
    // Names of the required arguments, in order; a last one ending in "..." takes any
    // number from one on.
    std::vector<const char*> positionals;
    std::vector<const char*> flags;
    std::vector<const char*> valueOptions;
    std::vector<const char*> repeatable;  // value options that may be given more than once
    int (*run)(const ParsedArgs& args);
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info",
         "info PLUGIN [--json] [--preset FILE.fxp] [--set PARAM=VALUE]...",
         "Load the VST 2 plug-in PLUGIN (.so) and print its identity, buses, flags,\n"
         "programs, parameters and state chunk size; --json prints the same as JSON.\n"
         "--preset and --set first bring the plug-in into that state.",
         {"PLUGIN"},
         {"--json"},
         {"--preset", "--set"},
         {"--set"},
         [](const ParsedArgs& args) {
             return vst2host::RunInfoCommand(args.positional[0], args.has("--json"),
                                             args.value("--preset"), args.values("--set"));
         }},
#ifndef VST2HOST_INFO_ONLY
        {"render",
         "render PLUGIN INPUT OUTPUT [--preset FILE.fxp] [--set PARAM=VALUE]...\n"
         "         [--map LIST] [--outputs LIST] [--format pcm16|pcm24|float]\n"
         "         [--block N] [--tail SECONDS] [--double] [--report]",
         "Play the audio file INPUT through the plug-in and write what it outputs to\n"
         "OUTPUT, in INPUT's sample rate and file type (32-bit float unless --format).\n"
         "--set INDEX=VALUE sets a parameter to a normalised value 0..1, --set NAME=TEXT\n"
         "to the value the plug-in shows as TEXT. --map 3,4,0,1 feeds file channels 3, 4,\n"
         "silence and 1 to plug-in inputs 1 to 4; --outputs 1,2,9-10 keeps those outputs.\n"
         "--block sets the block size (512), --tail renders seconds of silence after the\n"
         "input, --double processes 64-bit samples, --report prints levels per channel.",
         {"PLUGIN", "INPUT", "OUTPUT"},
         {"--double", "--report"},
         {"--preset", "--set", "--map", "--outputs", "--format", "--block", "--tail"},
         {"--set"},
         [](const ParsedArgs& args) {
             vst2host::RenderRequest request;
             request.pluginPath = args.positional[0];
             request.inputPath = args.positional[1];
             request.outputPath = args.positional[2];
             request.presetPath = args.value("--preset");
             request.settings = args.values("--set");
             request.inputMap = args.value("--map");
             request.outputList = args.value("--outputs");
             request.format = args.value("--format");
             request.blockSize = args.value("--block");
             request.tailSeconds = args.value("--tail");
             request.useDouble = args.has("--double");
             request.report = args.has("--report");
             return vst2host::RunRenderCommand(request);
         }},
        {"preset save",
         "preset save PLUGIN FILE.fxp [--preset FILE.fxp] [--set PARAM=VALUE]...",
         "Write the plug-in's program as a program file: its state chunk, or its\n"
         "parameter values when it keeps no chunks. --preset and --set change it first.",
         {"PLUGIN", "FILE"},
         {},
         {"--preset", "--set"},
         {"--set"},
         [](const ParsedArgs& args) {
             return vst2host::RunPresetSaveCommand(args.positional[0], args.positional[1],
                                                   args.value("--preset"), args.values("--set"));
         }},
        {"validate",
         "validate PLUGIN|DIR... [--strictness 1..10] [--json] [--timeout SECONDS]",
         "Put any VST 2 plug-in through a host's worst day and print one line per check,\n"
         "then 'N passed, M failed': opening and closing, dispatcher opcodes (editor and\n"
         "offline ones left out), text buffers, parameter sweep, state round trips, noise\n"
         "through both precisions at 44.1/48/96 kHz and every block size, automation while\n"
         "processing (each change and block timed against the audio it stands for),\n"
         "allocations on the audio thread, three threads at once, and the real-time factor.\n"
         "Each group runs in a child process with a time limit (--timeout, 120 s), so a\n"
         "crash or hang fails a check, naming the plug-in call it was in. --strictness (5)\n"
         "scales the work; from 8 on, texts must keep to the format's sizes. Given\n"
         "directories or several files, validates every .so found (subdirectories too),\n"
         "shows progress on stderr and ends with a table; libraries without a VST 2 entry\n"
         "point are listed as not a plug-in. Exit status 0 when all pass, 1 when any fails.",
         {"PLUGIN..."},
         {"--json"},
         {"--strictness", "--timeout"},
         {},
         [](const ParsedArgs& args) {
             vst2host::ValidateRequest request;
             request.paths = args.positional;
             request.strictness = args.value("--strictness");
             request.timeLimit = args.value("--timeout");
             request.json = args.has("--json");
             return vst2host::RunValidateCommand(request);
         }},
        {"demo-input",
         "demo-input OUTPUT.wav [--seconds S]",
         "Write a 16-channel 48 kHz test signal (2 seconds): a -6 dBFS stereo pair of\n"
         "440/660 Hz on channels 1/2, a -30 dBFS tone of 300..1600 Hz on each other one.",
         {"OUTPUT"},
         {},
         {"--seconds"},
         {},
         [](const ParsedArgs& args) {
             return vst2host::RunDemoInputCommand(args.positional[0], args.value("--seconds"));
         }},
#endif
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
           "Exit status: 0 on success; 2 on a usage error, a plug-in that cannot be loaded, or\n"
           "a file or value the command refuses; 1 on any other failure.\n";
}

// One line, like every other error: scripts read the first line, people the hint.
int UsageError(const std::string& message) {
    std::cerr << "vst2host: " << message << " (see 'vst2host --help')\n";
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
    const std::string name = command.name;
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
        const std::string option = arg.substr(0, equals);
        if (Contains(command.flags, option) && equals == std::string::npos) {
            out.flags.insert(option);
        } else if (Contains(command.valueOptions, option)) {
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < argv.size()) {
                value = argv[++i];
            } else {
                return name + ": option " + option + " needs a value";
            }
            auto& values = out.options[option];
            if (!values.empty() && !Contains(command.repeatable, option)) {
                return name + ": option " + option + " given more than once";
            }
            values.push_back(value);
        } else {
            return name + ": unknown option '" + arg + "'";
        }
    }
    if (out.positional.size() < command.positionals.size()) {
        std::string missing = command.positionals[out.positional.size()];
        if (missing.ends_with("...")) missing.resize(missing.size() - 3);
        return name + ": missing " + missing + " argument";
    }
    const bool variadic = !command.positionals.empty() &&
                          std::string_view(command.positionals.back()).ends_with("...");
    if (!variadic && out.positional.size() > command.positionals.size()) {
        return name + ": unexpected argument '" + out.positional[command.positionals.size()] + "'";
    }
    return std::nullopt;
}

// The command the arguments name, and how many words its name took.
const Command* FindCommand(const std::vector<std::string>& args, std::size_t& words) {
    for (const Command& command : Commands()) {
        const std::string_view name = command.name;
        const auto space = name.find(' ');
        if (space == std::string_view::npos) {
            if (args[0] != name) continue;
            words = 1;
            return &command;
        }
        if (args[0] != name.substr(0, space) || args.size() < 2) continue;
        if (args[1] != name.substr(space + 1)) continue;
        words = 2;
        return &command;
    }
    return nullptr;
}

// The actions of a two-word command whose first word is this, e.g. "save" for "preset".
std::string ActionsOf(const std::string& word) {
    std::string actions;
    for (const Command& command : Commands()) {
        const std::string name = command.name;
        const auto space = name.find(' ');
        if (space == std::string::npos || name.substr(0, space) != word) continue;
        actions += (actions.empty() ? "" : ", ") + name.substr(space + 1);
    }
    return actions;
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

    std::size_t words = 0;
    if (const Command* command = FindCommand(args, words)) {
        ParsedArgs parsed;
        if (auto error =
                Parse(*command, {args.begin() + static_cast<std::ptrdiff_t>(words), args.end()},
                      parsed)) {
            return UsageError(*error);
        }
        return command->run(parsed);
    }
    const std::string actions = ActionsOf(args[0]);
    if (!actions.empty()) {
        if (args.size() < 2) return UsageError(args[0] + ": missing action: " + actions);
        return UsageError(args[0] + ": unknown action '" + args[1] + "'; actions: " + actions);
    }
    return UsageError("unknown command '" + args[0] + "'");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const vst2host::LoadError& e) {
        std::cerr << "vst2host: " << e.what() << '\n';
        return kExitRefused;
    } catch (const vst2host::CommandError& e) {
        std::cerr << "vst2host: " << e.what() << '\n';
        return kExitRefused;
    } catch (const std::exception& e) {
        std::cerr << "vst2host: " << e.what() << '\n';
        return kExitFailure;
    } catch (...) {
        std::cerr << "vst2host: unknown error\n";
        return kExitFailure;
    }
}
