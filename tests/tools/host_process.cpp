#include "tests/tools/host_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

extern char** environ;

namespace host_test {
namespace {

std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

int StartHost(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VST2HOST};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    }
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

Result RunHost(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VST2HOST};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result result;
    if (out == nullptr || err == nullptr) {
        ADD_FAILURE() << "cannot make temporary files";
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << VST2HOST;
    } else {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        result.exited = WIFEXITED(wstatus);
        result.status = result.exited ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus);
    }
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The "Name:   value" lines of the text report, up to the parameter table.
std::map<std::string, std::string> Fields(const std::string& text) {
    std::map<std::string, std::string> fields;
    for (const std::string& line : Lines(text)) {
        if (line.empty() || line[0] == ' ') break;
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        fields[line.substr(0, colon)] = Trim(line.substr(colon + 1));
    }
    return fields;
}

// The parameter table, cut into cells at the columns its header line sets: text columns
// start where their heading starts; the value is the row's last word.
std::vector<ParameterRow> ParameterTable(const std::string& text) {
    std::vector<ParameterRow> rows;
    std::size_t name = 0, label = 0, display = 0;
    for (const std::string& line : Lines(text)) {
        if (name == 0) {
            if (line.rfind("  index  name", 0) == 0) {
                name = line.find("name");
                label = line.find("label");
                display = line.find("display");
            }
            continue;
        }
        const auto lastSpace = line.rfind(' ');
        if (line.size() <= display || lastSpace == std::string::npos || lastSpace < display) {
            ADD_FAILURE() << "short table row: '" << line << "'";
            continue;
        }
        rows.push_back({Trim(line.substr(0, name)), Trim(line.substr(name, label - name)),
                        Trim(line.substr(label, display - label)),
                        Trim(line.substr(display, lastSpace - display)),
                        line.substr(lastSpace + 1)});
    }
    return rows;
}

std::string Describe(const Result& r) {
    return "status " + std::to_string(r.status) + "\n--- stdout\n" + r.out + "--- stderr\n" + r.err;
}

ScratchDir::ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vst2host-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

}  // namespace host_test
