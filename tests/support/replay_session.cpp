#include "replay_session.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace easel::testing {

namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string make_directory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/easel-replay-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
    return pattern;
}

[[noreturn]] void become_replay(const std::string& directory, std::vector<std::string> command) {
    const int out = open((directory + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((directory + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || chdir(directory.c_str()) != 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> arguments;
    for (std::string& word : command) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    execv(arguments[0], arguments.data());
    _exit(127);
}

}  // namespace

std::vector<std::string> replay_result::output_lines() const {
    std::vector<std::string> lines;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

replay_session::replay_session(std::string program, std::vector<std::string> arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)), directory_(make_directory()) {}

replay_session::~replay_session() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

replay_result replay_session::run(const std::string& script, double timeout_seconds,
                                  const std::vector<std::string>& options) const {
    std::ofstream(path("script.replay")) << script;
    std::vector<std::string> command = {EASEL_REPLAY_PATH, "--timeout", std::to_string(timeout_seconds)};
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(), {"script.replay", "--", program_});
    command.insert(command.end(), arguments_.begin(), arguments_.end());
    const pid_t replay = fork();
    if (replay < 0) throw std::runtime_error("cannot start easel-replay");
    if (replay == 0) become_replay(directory_, command);
    int status = 0;
    while (waitpid(replay, &status, 0) < 0 && errno == EINTR) {
    }
    replay_result result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = read_text(path("stdout"));
    result.errors = read_text(path("stderr"));
    return result;
}

std::string replay_session::path(const std::string& name) const { return directory_ + "/" + name; }

image::picture replay_session::snapshot(const std::string& name) const { return image::read_image(path(name)); }

}  // namespace easel::testing
