// Writes an LV2 bundle's Turtle (manifest.ttl and the plug-in's own file) from what an
// instance of the product's effect reports: names, channel counts, parameter names, ranges,
// value names and defaults. The build runs it, so the description on disk cannot drift from
// the binary beside it.
//   lv2_ttl_generator BUNDLE_DIR URI BINARY VERSION
// VERSION is the project's major.minor.patch.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"
#include "product/effect_factory.h"
#include "product/lv2/lv2_ports.h"
#include "product/parameter_steps.h"
#include "runtime/instance_factory.h"

namespace {

intptr_t VSTCALLBACK Host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string Text(AEffect* effect, int32_t opcode, int32_t index = 0) {
    char text[256] = {};
    effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

// A Turtle string literal.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string Number(double value) {
    std::ostringstream out;
    out.precision(9);
    out << value;
    std::string text = out.str();
    // Turtle reads "1" as an integer; ranges are decimals.
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

// A control port: the parameter as probed, with the symbol sessions know it by.
struct Parameter : ParameterSteps {
    std::string symbol;
};

struct Version {
    int major = 0, minor = 0, patch = 0;
};

bool ParseVersion(const char* text, Version& v) {
    return std::sscanf(text, "%d.%d.%d", &v.major, &v.minor, &v.patch) == 3 && v.major >= 0 &&
           v.major < 1000000 && v.minor >= 0 && v.minor < 100 && v.patch >= 0 && v.patch < 1000000;
}

// LV2 hosts read an odd minor or micro version, or a zero minor, as a development build, so
// every release gets even ones that grow with each release: minor 2 * (100 * major + minor),
// micro 2 * patch (1.0.0 is 200.0, 1.0.1 is 200.2).
int Lv2MinorVersion(const Version& v) {
    return 2 * (100 * v.major + v.minor);
}
int Lv2MicroVersion(const Version& v) {
    return 2 * v.patch;
}

void WriteGroup(std::ostream& out, const std::string& uri, const std::string& symbol,
                const std::string& label, bool input) {
    out << "<" << uri << "#" << symbol << ">\n"
        << "    a pg:StereoGroup , " << (input ? "pg:InputGroup" : "pg:OutputGroup") << " ;\n"
        << "    lv2:symbol " << Quoted(symbol) << " ;\n"
        << "    lv2:name " << Quoted(label) << " ;\n"
        << "    rdfs:label " << Quoted(label) << " .\n\n";
}

// The pair's two channel numbers, counted from 1, around the separator.
std::string PairChannels(uint32_t pair, const char* separator) {
    return std::to_string(2 * pair + 1) + separator + std::to_string(2 * pair + 2);
}

// Inputs 1/2 are the main input; further input pairs and every output pair are stereo
// groups of their own; an odd last channel stays outside any group.
std::string GroupSymbol(bool input, uint32_t pair) {
    if (input) return pair == 0 ? "in_main" : "in_" + PairChannels(pair, "_");
    return "bus_" + std::to_string(pair + 1);
}

std::string GroupLabel(bool input, uint32_t pair) {
    if (input) return pair == 0 ? "Main input" : "Input " + PairChannels(pair, "/");
    return "Bus " + std::to_string(pair + 1);
}

void WriteAudioPort(std::ostream& out, const std::string& uri, bool input, uint32_t channel,
                    uint32_t count, uint32_t index) {
    const uint32_t pair = channel / 2;
    const bool grouped = 2 * pair + 1 < count;
    const char* side = channel % 2 == 0 ? "left" : "right";
    std::string name;
    if (grouped) {
        name = GroupLabel(input, pair) + " " + side;
    } else {
        name = (input ? "Input " : "Output ") + std::to_string(channel + 1);
    }
    out << "        a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol "
        << Quoted(input ? InputSymbol(channel + 1) : OutputSymbol(channel + 1)) << " ;\n"
        << "        lv2:name " << Quoted(name);
    if (grouped) {
        out << " ;\n        pg:group <" << uri << "#" << GroupSymbol(input, pair) << "> ;\n"
            << "        lv2:designation pg:" << side;
    }
}

void WriteControlPort(std::ostream& out, const Parameter& p, uint32_t index) {
    double low = 0.0, high = 1.0;
    const bool stepped = !p.steps.empty();
    if (stepped) {
        low = high = p.steps.front().value;
        for (const auto& step : p.steps) {
            low = std::min(low, step.value);
            high = std::max(high, step.value);
        }
    }
    // The adapter reads the same rule (ParameterSteps::Toggled) to map a toggle's port values.
    const bool toggled = p.Toggled();
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(p.symbol) << " ;\n"
        << "        lv2:name " << Quoted(p.name) << " ;\n"
        << "        lv2:default " << Number(p.initial) << " ;\n"
        << "        lv2:minimum " << Number(low) << " ;\n"
        << "        lv2:maximum " << Number(high);
    if (toggled) out << " ;\n        lv2:portProperty lv2:toggled , lv2:integer";
    if (stepped && !toggled) out << " ;\n        lv2:portProperty lv2:enumeration";
    if (stepped) {
        out << " ;\n        lv2:scalePoint ";
        for (size_t i = 0; i < p.steps.size(); ++i) {
            out << (i ? " , " : "") << "[\n            rdfs:label " << Quoted(p.steps[i].text)
                << " ;\n            rdf:value " << Number(p.steps[i].value) << "\n        ]";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Version version;
    if (argc != 5 || !ParseVersion(argv[4], version)) {
        std::fprintf(stderr, "usage: lv2_ttl_generator BUNDLE_DIR URI BINARY MAJOR.MINOR.PATCH\n");
        return 2;
    }
    const std::string dir = argv[1], uri = argv[2], binary = argv[3];
    AEffect* effect = CreateInstance(NewEffect(), Host);
    if (!effect) {
        std::fprintf(stderr, "lv2_ttl_generator: the effect could not be made\n");
        return 1;
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);

    Lv2PortLayout layout;
    layout.inputs = static_cast<uint32_t>(std::max(effect->numInputs, 0));
    layout.outputs = static_cast<uint32_t>(std::max(effect->numOutputs, 0));
    layout.parameters = static_cast<uint32_t>(std::max(effect->numParams, 0));
    std::vector<Parameter> parameters;
    std::set<std::string> symbols;
    for (uint32_t i = 0; i < layout.parameters; ++i) {
        Parameter p{ProbeParameter(effect, static_cast<int32_t>(i)), {}};
        p.symbol = ControlSymbol(p.name.empty() ? "parameter " + std::to_string(i + 1) : p.name);
        // Two parameters of one name still need symbols of their own.
        if (!symbols.insert(p.symbol).second) p.symbol += "_" + std::to_string(i + 1);
        symbols.insert(p.symbol);
        parameters.push_back(std::move(p));
    }
    std::string name = Text(effect, effGetEffectName);
    if (name.empty()) name = Text(effect, effGetProductString);
    const std::string vendor = Text(effect, effGetVendorString);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    const std::string ttlName = binary.substr(0, binary.rfind('.')) + ".ttl";
    std::ofstream manifest(dir + "/manifest.ttl");
    manifest << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
             << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n"
             << "<" << uri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << binary << "> ;\n"
             << "    rdfs:seeAlso <" << ttlName << "> .\n";

    std::ofstream ttl(dir + "/" + ttlName);
    ttl << "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
        << "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
        << "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
        << "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
        << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
        << "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
        << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        << "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
        << "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
        << "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";
    for (uint32_t pair = 0; 2 * pair + 1 < layout.inputs; ++pair)
        WriteGroup(ttl, uri, GroupSymbol(true, pair), GroupLabel(true, pair), true);
    for (uint32_t pair = 0; 2 * pair + 1 < layout.outputs; ++pair)
        WriteGroup(ttl, uri, GroupSymbol(false, pair), GroupLabel(false, pair), false);

    ttl << "<" << uri << ">\n"
        << "    a lv2:Plugin , lv2:UtilityPlugin , doap:Project ;\n"
        << "    doap:name " << Quoted(name) << " ;\n"
        << "    doap:maintainer [\n        foaf:name " << Quoted(vendor) << "\n    ] ;\n"
        << "    lv2:minorVersion " << Lv2MinorVersion(version) << " ;\n"
        << "    lv2:microVersion " << Lv2MicroVersion(version) << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
        // A run() longer than this is processed in pieces of at most this size.
        << "    opts:supportedOption bufsz:maxBlockLength ;\n"
        << "    lv2:extensionData state:interface";
    if (layout.inputs >= 2) ttl << " ;\n    pg:mainInput <" << uri << "#in_main>";
    ttl << " ;\n    lv2:port [\n";
    uint32_t index = 0;
    auto next = [&ttl](uint32_t i) {
        if (i) ttl << "\n    ] , [\n";
    };
    for (uint32_t c = 0; c < layout.inputs; ++c, ++index) {
        next(index);
        WriteAudioPort(ttl, uri, true, c, layout.inputs, index);
    }
    for (uint32_t c = 0; c < layout.outputs; ++c, ++index) {
        next(index);
        WriteAudioPort(ttl, uri, false, c, layout.outputs, index);
    }
    for (const Parameter& p : parameters) {
        next(index);
        WriteControlPort(ttl, p, index++);
    }
    next(index);
    ttl << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(kTimeSymbol) << " ;\n"
        << "        lv2:name \"Time\" ;\n"
        << "        lv2:portProperty lv2:connectionOptional\n    ] .\n";
    if (!manifest || !ttl) {
        std::fprintf(stderr, "lv2_ttl_generator: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
